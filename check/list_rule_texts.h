#pragma once

#include <cstddef>
#include <string>

namespace setup::check {

/// What a finding of the list's analysis tells its author, in French: what was found and what setup
/// would do, then how to mend it (empty for a note).
struct RuleText {
    std::wstring message;
    std::wstring fix;
};

/// Which version text of an entry a version finding is about.
enum class VersionText { LowerBound, UpperBound, Stamp };

// The list as a whole.
RuleText noListText();
RuleText noProgramText();
RuleText noTitleText(const std::wstring& caption);
RuleText titleNotFirstText();
RuleText lastWarningRepeatedText();
RuleText fileNotNamedText(const std::wstring& file);

// One entry's text as the reader reads it.
RuleText unclosedQuoteText();
/// `entry` holds UTF-8 read through Windows-1252; the text says what setup then shows or misreads.
RuleText notWindows1252Text(const std::wstring& entry);
/// `shown` is the warning as setup would show it, cut at the comma.
RuleText warningCutAtCommaText(const std::wstring& shown);
RuleText emptyEntryText();

// The directives' entries.
RuleText sectionBracketLastText();
RuleText sectionNotClosedText(const std::wstring& section);
RuleText textAfterSectionText(const std::wstring& after, const std::wstring& section);
RuleText versionBlankText(const std::wstring& section);
RuleText versionWithoutNumberText(VersionText which, const std::wstring& text);
RuleText versionTooLargeText(VersionText which, const std::wstring& text);

// The files the list copies.
RuleText tooManyEntriesText();
RuleText fileListedTwiceText(const std::wstring& name, std::size_t firstLine);
RuleText outsideUpdateFolderText(const std::wstring& name);
RuleText missingFileText(const std::wstring& name);

}  // namespace setup::check
