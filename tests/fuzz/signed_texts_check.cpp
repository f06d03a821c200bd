#include <exception>
#include <string>

#include "signature/signed_statement.h"
#include "signature/trust_record.h"
#include "tests/fuzz/fuzz_checks.h"

namespace setup::fuzz {

std::optional<std::string> checkSignedTexts(std::string_view bytes) {
    try {
        // Read one way only: a text that reads is the very text its record writes.
        if (const std::optional<SignedStatement> statement = parseStatement(bytes)) {
            if (formatStatement(*statement) != bytes)
                return "a statement reads from a text it does not write";
        }
        if (const std::optional<TrustRecord> trust = parseTrust(bytes)) {
            if (formatTrust(*trust) != bytes) return "a trust file reads from a text it does not write";
        }
    } catch (const std::exception& error) {
        return std::string("reading a signed text throws: ") + error.what();
    }
    return std::nullopt;
}

}  // namespace setup::fuzz
