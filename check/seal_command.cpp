#include "check/seal_command.h"

#include <vector>

#include "check/text_report.h"
#include "platform/path_mapping.h"
#include "platform/text_codec.h"
#include "seal/seal_format.h"
#include "seal/seal_writer.h"

namespace setup::check {

namespace {

/// The analysis without what it found about an earlier seal, which the new seal replaces.
ListAnalysis withoutSealFindings(const ListAnalysis& analysis) {
    ListAnalysis list = analysis;
    std::erase_if(list.findings, [](const Finding& finding) { return isSealRule(finding.rule); });
    return list;
}

}  // namespace

SealOutcome sealUpdate(const ListAnalysis& analysis, bool strict) {
    const ListAnalysis list = withoutSealFindings(analysis);
    if (list.has(Severity::Error) || (strict && list.has(Severity::Warning))) {
        return {textReport(list, std::nullopt, 1) +
                    L"\nSceau non \u00E9crit : veuillez corriger la liste avant de sceller la mise \u00E0 "
                    L"jour.\n",
                1};
    }
    std::vector<std::wstring> names;
    for (const EntryPlan& plan : list.entries) {
        if (plan.copied) names.push_back(*plan.copied);
    }
    const std::vector<SealedFile> files = digestUpdateFiles(list.updateFolder, names);
    writeSeal(list.updateFolder, files);
    const std::wstring path = list.updateFolder + L"\\" + std::wstring(kSealFileName);
    std::wstring report = L"Sceau \u00E9crit : " + programPath(mapPath(path)) + L"\n";
    for (const SealedFile& file : files) report += fromUtf8(formatSealLine(file.digest, file.name));
    report += std::to_wstring(files.size()) +
              (files.size() > 1 ? L" fichiers scell\u00E9s.\n" : L" fichier scell\u00E9.\n");
    return {report, 0};
}

}  // namespace setup::check
