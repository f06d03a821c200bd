#include "check/json_report.h"

#include <cstdio>
#include <string>
#include <vector>

#include "check/plan_refusal_text.h"
#include "platform/path_mapping.h"
#include "platform/text_codec.h"

namespace setup::check {

namespace {

std::string string(const std::wstring& text) {
    std::string out = "\"";
    for (const char c : toUtf8(text)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

/// A program path as the file system spells it.
std::string path(const std::wstring& given) { return string(programPath(mapPath(given))); }

std::string boolean(bool value) { return value ? "true" : "false"; }

/// Builds one JSON object key by key.
class Object {
  public:
    Object& add(const char* key, const std::string& json) {
        m_text += (m_text.empty() ? "{" : ",") + std::string("\"") + key + "\":" + json;
        return *this;
    }
    std::string str() const { return m_text.empty() ? "{}" : m_text + "}"; }

  private:
    std::string m_text;
};

template <typename Item, typename ToJson>
std::string array(const std::vector<Item>& items, ToJson toJson) {
    std::string out = "[";
    for (const Item& item : items) out += (out.size() > 1 ? "," : "") + toJson(item);
    return out + "]";
}

std::string kindId(EntryRole role) {
    switch (role) {
        case EntryRole::Title:
            return "title";
        case EntryRole::Comment:
            return "comment";
        case EntryRole::Warning:
            return "warning";
        case EntryRole::VersionRange:
            return "version-range";
        case EntryRole::RequiredFile:
            return "required-file";
        case EntryRole::VersionStamp:
            return "version-stamp";
        case EntryRole::File:
            return "file";
        case EntryRole::Empty:
            break;
    }
    return "empty";
}

std::string optionalString(const std::optional<std::wstring>& text) { return text ? string(*text) : "null"; }

std::string message(const std::optional<BoxMessage>& box) {
    if (!box) return "null";
    return Object()
        .add("title", string(box->title))
        .add("text", string(box->text))
        .add("style", std::to_string(box->style))
        .str();
}

std::string range(const VersionRange& range) {
    return Object()
        .add("product", string(range.section))
        .add("lower", string(range.lower))
        .add("upper", string(range.upper))
        .str();
}

std::string entry(const EntryPlan& plan) {
    return Object()
        .add("line", std::to_string(plan.line))
        .add("kind", "\"" + kindId(plan.role) + "\"")
        .add("text", string(plan.text))
        .add("warnings", array(plan.warnings, [](const BoxMessage& box) { return string(box.text); }))
        .add("versionRanges", array(plan.ranges, range))
        .add("requiredFiles", array(plan.requiredFiles, string))
        .add("counted", boolean(plan.counted))
        .add("copied", optionalString(plan.copied))
        .add("refusedByCopy", boolean(plan.refusedByCopy))
        .add("refusedByPlan",
             plan.refusedByPlan ? "\"" + std::string(refusalId(*plan.refusedByPlan)) + "\"" : "null")
        .add("stamps", array(plan.stamps,
                             [](const StampWrite& stamp) {
                                 return Object()
                                     .add("product", string(stamp.section))
                                     .add("version", string(stamp.version))
                                     .str();
                             }))
        .add("deleted", optionalString(plan.deleted))
        .str();
}

std::string findings(const ListAnalysis& analysis, Severity severity) {
    std::vector<Finding> chosen;
    for (const Finding& finding : analysis.findings) {
        if (severityOf(finding.rule) == severity) chosen.push_back(finding);
    }
    return array(chosen, [](const Finding& finding) {
        return Object()
            .add("rule", "\"" + std::string(ruleId(finding.rule)) + "\"")
            .add("line", std::to_string(finding.line))
            .add("message", string(finding.message))
            .add("fix", string(finding.fix))
            .str();
    });
}

std::string changeId(CopyChange change) {
    switch (change) {
        case CopyChange::New:
            return "new";
        case CopyChange::Replaces:
            return "replaces";
        case CopyChange::Identical:
            break;
    }
    return "identical";
}

std::string journalActionId(JournalAction action) {
    switch (action) {
        case JournalAction::None:
            return "none";
        case JournalAction::Undo:
            return "undo";
        case JournalAction::Finish:
            return "finish";
        case JournalAction::Discard:
            return "discard";
        case JournalAction::Reject:
            return "reject";
        case JournalAction::Fail:
            break;
    }
    return "fail";
}

std::string journalJson(const PendingJournal& journal) {
    return Object()
        .add("found", array(journal.paths, path))
        .add("action", "\"" + journalActionId(journal.action) + "\"")
        .add("stops", boolean(journal.stops()))
        .add("message", message(journal.stop))
        .str();
}

std::string dryRunJson(const DryRun& run) {
    return Object()
        .add("registry", path(run.registry))
        .add("registryFound", boolean(run.registryFound))
        .add("installationFolder", run.installDir.empty() ? "\"\"" : path(run.installDir))
        .add("installed", boolean(run.installed))
        .add("journal", journalJson(run.journal))
        .add("versionChecks", array(run.ranges,
                                    [](const RangeOutcome& outcome) {
                                        return Object()
                                            .add("line", std::to_string(outcome.line))
                                            .add("range", range(outcome.range))
                                            .add("installed", string(outcome.installed))
                                            .add("passes", boolean(!outcome.refusal))
                                            .add("refusal", message(outcome.refusal))
                                            .str();
                                    }))
        .add("requiredFiles", array(run.requiredFiles,
                                    [](const RequiredOutcome& outcome) {
                                        return Object()
                                            .add("line", std::to_string(outcome.line))
                                            .add("path", path(outcome.path))
                                            .add("present", boolean(outcome.present))
                                            .str();
                                    }))
        .add("files", array(run.copies,
                            [](const CopyOutcome& copy) {
                                return Object()
                                    .add("line", std::to_string(copy.line))
                                    .add("name", string(copy.name))
                                    .add("target", path(copy.target))
                                    .add("change", "\"" + changeId(copy.change) + "\"")
                                    .add("writable", boolean(copy.writable))
                                    .add("bytes", std::to_string(copy.bytes))
                                    .str();
                            }))
        .add("planRefusals", array(run.planRefusals,
                                   [](const PlanRefusalOutcome& outcome) {
                                       return Object()
                                           .add("line", std::to_string(outcome.line))
                                           .add("entry", string(outcome.refusal.entry))
                                           .add("reason",
                                                "\"" + std::string(refusalId(outcome.refusal.reason)) + "\"")
                                           .add("consequence", string(outcome.consequence))
                                           .add("listError", boolean(outcome.listError))
                                           .str();
                                   }))
        .add("bytesToCopy", std::to_string(run.bytesToCopy))
        .add("freeBytes", run.freeBytes ? std::to_string(*run.freeBytes) : "null")
        .add("versionsRecorded", array(run.stamps,
                                       [](const StampOutcome& stamp) {
                                           return Object()
                                               .add("line", std::to_string(stamp.line))
                                               .add("product", string(stamp.section))
                                               .add("version", string(stamp.version))
                                               .add("writable", boolean(stamp.writable))
                                               .str();
                                       }))
        .add("refusal", message(run.refusal))
        .add("failures", array(run.failures, string))
        .add("wouldApply", boolean(run.wouldApply()))
        .str();
}

const char* resultId(int status) {
    switch (status) {
        case 0:
            return "\"applies\"";
        case 1:
            return "\"list-errors\"";
        default:
            return "\"refused\"";
    }
}

}  // namespace

std::string jsonReport(const ListAnalysis& analysis, const std::optional<DryRun>& run, int status) {
    return Object()
               .add("list", path(analysis.listPath))
               .add("listFound", boolean(analysis.listFound))
               .add("title", string(analysis.caption))
               .add("entries", array(analysis.entries, entry))
               .add("repeatedWarning",
                    analysis.repeatedWarning ? string(analysis.repeatedWarning->text) : "null")
               .add("errors", findings(analysis, Severity::Error))
               .add("warnings", findings(analysis, Severity::Warning))
               .add("notes", findings(analysis, Severity::Note))
               .add("dryRun", run ? dryRunJson(*run) : "null")
               .add("result", resultId(status))
               .add("exitStatus", std::to_string(status))
               .str() +
           "\n";
}

}  // namespace setup::check
