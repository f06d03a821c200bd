#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace setup::check {

/// What a finding means for the update: an error stops it from being shipped, a warning asks for a
/// look, a note tells how the program will behave.
enum class Severity { Error, Warning, Note };

/// The mistakes and surprises the checker recognises in an update.
enum class Rule {
    NoList,                ///< no setup.lst in the update folder
    NotWindows1252,        ///< the list holds UTF-8 text
    UnclosedQuote,         ///< a double quote never closed
    SectionNotClosed,      ///< a "[" that is the last character, or a section part without "]"
    VersionWithoutNumber,  ///< a version text with no number in it, or one too large to read
    OutsideUpdateFolder,   ///< a file entry naming a path outside the update folder
    MissingFile,           ///< a file entry whose file is not in the update folder
    EmptyEntry,            ///< an entry with nothing in it
    InstallationItself,    ///< a file entry naming the update folder itself, so the installation itself
    OwnFileName,           ///< a file entry with a name setup keeps for its own files, on any component
    ControlCharacter,      ///< a tab or line end in a file entry or a version, which setup cannot record
    NameTooLong,           ///< a file name with no room left for setup's staged copy beside it
    TooManyEntries,        ///< more than 32,767 copy entries
    NoProgram,             ///< neither setup nor setup.exe beside the list
    WarningCutAtComma,     ///< an unquoted warning ended by a comma
    TextAfterSection,      ///< characters after the "]" of a section suffix
    NoTitle,               ///< no title entry
    TitleNotFirst,         ///< a title entry that is not the first entry
    FileListedTwice,       ///< the same file named by two copy entries
    FileNotNamed,          ///< a file of the update folder that no entry names
    LastWarningRepeated,   ///< the list ends with a warning, shown again before the question
    SealDigestDiffers,     ///< a copied file that no longer matches its seal line, or cannot be read
    FileNotSealed,         ///< a copied file that the seal does not name
    SealLineNotCopied,     ///< a seal line for a file that the list does not copy
    SealMalformed,         ///< a seal that cannot be read or that has a line not in sha256sum's format
    SignatureInvalid,      ///< a signature that does not verify, or a list, seal or file it does not name
    SignatureMissing,      ///< an unsigned update for an installation that trusts a key
    KeyNotTrusted,         ///< a signature by a key the installation does not trust, or an unreadable trust
    OlderThanInstalled,    ///< a version below the highest one the installation has recorded
};

/// True for the rules about the update's seal and signature, which a new seal and signature replace.
bool isSealRule(Rule rule);

/// True for the rules found against one installation's trust: that installation refuses the update,
/// another one might take it.
bool isInstallationRule(Rule rule);

/// The severity of every finding of `rule`.
Severity severityOf(Rule rule);

/// A stable English name for `rule`, for scripts ("unclosed-quote").
std::string_view ruleId(Rule rule);

/// One finding: where it is, what was found and how to mend it, in French.
struct Finding {
    Rule rule;
    std::size_t line = 0;  ///< line of the list, 0 when it concerns the whole list or folder
    std::wstring message;
    std::wstring fix;  ///< empty for a note
};

}  // namespace setup::check
