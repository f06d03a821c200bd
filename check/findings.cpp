#include "check/findings.h"

namespace setup::check {

Severity severityOf(Rule rule) {
    switch (rule) {
        case Rule::WarningCutAtComma:
        case Rule::TextAfterSection:
        case Rule::NoTitle:
        case Rule::TitleNotFirst:
        case Rule::FileListedTwice:
        case Rule::FileNotNamed:
            return Severity::Warning;
        case Rule::LastWarningRepeated:
            return Severity::Note;
        default:
            return Severity::Error;
    }
}

bool isSealRule(Rule rule) {
    return rule == Rule::SealDigestDiffers || rule == Rule::FileNotSealed ||
           rule == Rule::SealLineNotCopied || rule == Rule::SealMalformed || rule == Rule::SignatureInvalid;
}

bool isInstallationRule(Rule rule) {
    return rule == Rule::SignatureMissing || rule == Rule::KeyNotTrusted || rule == Rule::OlderThanInstalled;
}

std::string_view ruleId(Rule rule) {
    switch (rule) {
        case Rule::NoList:
            return "no-list";
        case Rule::NotWindows1252:
            return "not-windows-1252";
        case Rule::UnclosedQuote:
            return "unclosed-quote";
        case Rule::SectionNotClosed:
            return "section-not-closed";
        case Rule::VersionWithoutNumber:
            return "version-without-number";
        case Rule::OutsideUpdateFolder:
            return "outside-update-folder";
        case Rule::MissingFile:
            return "missing-file";
        case Rule::EmptyEntry:
            return "empty-entry";
        case Rule::InstallationItself:
            return "installation-itself";
        case Rule::OwnFileName:
            return "own-file-name";
        case Rule::ControlCharacter:
            return "control-character";
        case Rule::NameTooLong:
            return "name-too-long";
        case Rule::TooManyEntries:
            return "too-many-entries";
        case Rule::NoProgram:
            return "no-program";
        case Rule::WarningCutAtComma:
            return "warning-cut-at-comma";
        case Rule::TextAfterSection:
            return "text-after-section";
        case Rule::NoTitle:
            return "no-title";
        case Rule::TitleNotFirst:
            return "title-not-first";
        case Rule::FileListedTwice:
            return "file-listed-twice";
        case Rule::FileNotNamed:
            return "file-not-named";
        case Rule::LastWarningRepeated:
            return "last-warning-repeated";
        case Rule::SealDigestDiffers:
            return "seal-digest-differs";
        case Rule::FileNotSealed:
            return "file-not-sealed";
        case Rule::SealLineNotCopied:
            return "seal-line-not-copied";
        case Rule::SealMalformed:
            return "seal-malformed";
        case Rule::SignatureInvalid:
            return "signature-invalid";
        case Rule::SignatureMissing:
            return "signature-missing";
        case Rule::KeyNotTrusted:
            return "key-not-trusted";
        case Rule::OlderThanInstalled:
            return "older-than-installed";
    }
    return "unknown";
}

}  // namespace setup::check
