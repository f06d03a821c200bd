#include "app/signature_gate.h"

#include <exception>
#include <optional>
#include <string>

#include "app/seal_gate.h"
#include "platform/file_services.h"
#include "platform/runtime.h"
#include "run/messages.h"
#include "run/run_state.h"
#include "run/session.h"
#include "run/update_list.h"
#include "run/update_planning.h"
#include "seal/seal_format.h"
#include "signature/signature_check.h"
#include "staging/update_plan.h"

namespace setup {

namespace {

/// The installation's trust: nullopt when it has no trust file; ends the run when the file cannot be read
/// or is not one the program writes, since guessing either way would let an update through.
std::optional<TrustRecord> readTrust(Session& session, const std::wstring& path) {
    Runtime& runtime = session.runtime;
    std::optional<std::string> text;
    try {
        if (runtime.files().kindOf(path) == NodeKind::Missing) return std::nullopt;
        text = runtime.files().readFile(path, kTrustLimit);
    } catch (const std::exception&) {
    }
    std::optional<TrustRecord> trust;
    if (text) trust = parseTrust(*text);
    if (!trust) {
        runtime.host().logEvent(L"Fichier de confiance illisible ou endommag\u00E9 : " + path);
        stopKeepingUpdate(session, damagedTrustMessage());
    }
    return trust;
}

}  // namespace

void stopOnUntrustedUpdate(Session& session) {
    Runtime& runtime = session.runtime;
    RunState& state = session.state;
    const std::wstring trustPath = state.InstallDir + kTrustName;
    SignatureInput input{runtime.host().programDirectory(),
                         updateListPath(runtime),
                         copiedNames(runtime, state),
                         {},
                         readTrust(session, trustPath)};
    for (const PlannedStamp& stamp : state.stamps) input.versions.push_back({stamp.section, stamp.version});
    const SignatureVerdict verdict = checkSignature(runtime.files(), input);
    if (verdict.problem) {
        const SignatureProblem& problem = *verdict.problem;
        runtime.host().logEvent(L"Signature refus\u00E9e : " + problem.name);
        switch (problem.kind) {
            case SignatureProblemKind::Missing:
                stopKeepingUpdate(session, unsignedUpdateMessage());
            case SignatureProblemKind::KeyNotTrusted:
                stopKeepingUpdate(session, unknownKeyMessage());
            case SignatureProblemKind::OlderThanInstalled:
                stopKeepingUpdate(session, olderVersionMessage(problem.version, problem.installed),
                                  ExitStatus::Refused);
            case SignatureProblemKind::Invalid:
            case SignatureProblemKind::ContentDiffers:
                break;
        }
        stopKeepingUpdate(session, signatureMismatchMessage());
    }
    if (!verdict.statement) return;
    // A file larger than its signed size is stopped at that size, whatever the folder held when it was looked
    // at.
    for (const SignedFile& file : verdict.statement->files) {
        const auto expected = state.expectedContents.find(sealNameKey(file.name));
        if (expected != state.expectedContents.end()) expected->second.limit = file.size;
    }
    // Trust on first use: an installation without a trust file takes the key of the first signed update.
    state.trust = formatTrust(trustAfter(input.trust, *verdict.statement));
    runtime.host().logEvent(input.trust
                                ? L"Signature v\u00E9rifi\u00E9e par la cl\u00E9 de l'installation"
                                : L"Signature v\u00E9rifi\u00E9e ; sa cl\u00E9 sera celle de l'installation");
}

}  // namespace setup
