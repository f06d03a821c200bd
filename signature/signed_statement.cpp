#include "signature/signed_statement.h"

#include "platform/text_codec.h"
#include "seal/seal_format.h"
#include "signature/statement_lines.h"
#include "signing/base64.h"
#include "signing/pem_armour.h"
#include "signing/signing_keys.h"

namespace setup {

namespace {

constexpr std::string_view kHeading = "Kelvane signed update 1";

std::string keyText(const std::vector<std::uint8_t>& der) { return base64Encode(der); }

/// Reads one line into `statement`; false when it is not one the statement may hold at this place.
bool readLine(const std::vector<std::string_view>& fields, SignedStatement& statement, bool& ended) {
    const std::string_view kind = fields.front();
    if (kind == "version" && fields.size() == 3 && statement.files.empty() && !statement.nextKey) {
        std::wstring section, version;
        if (!wideField(fields[1], section) || !wideField(fields[2], version) || section.empty()) return false;
        statement.versions.push_back({section, version});
        return true;
    }
    if (kind == "file" && fields.size() == 4 && !statement.nextKey) {
        SignedFile file;
        if (!hexDigest(fields[1], file.digest) || !decimal(fields[2], file.size) ||
            !wideField(fields[3], file.name) || file.name.empty())
            return false;
        statement.files.push_back(std::move(file));
        return true;
    }
    if (kind == "next-key" && fields.size() == 2 && !statement.nextKey) {
        std::vector<std::uint8_t> key;
        if (!base64Field(fields[1], key)) return false;
        statement.nextKey = std::move(key);
        return true;
    }
    if (kind == "end" && fields.size() == 1) {
        ended = true;
        return true;
    }
    return false;
}

}  // namespace

std::string formatStatement(const SignedStatement& statement) {
    std::string text = std::string(kHeading) + "\nkey\t" + keyText(statement.signerKey) + "\nlist\t" +
                       toHex(statement.listDigest) + "\n";
    for (const SignedVersion& version : statement.versions)
        text += "version\t" + toUtf8(version.section) + "\t" + toUtf8(version.version) + "\n";
    for (const SignedFile& file : statement.files)
        text += "file\t" + toHex(file.digest) + "\t" + std::to_string(file.size) + "\t" + toUtf8(file.name) +
                "\n";
    if (statement.nextKey) text += "next-key\t" + keyText(*statement.nextKey) + "\n";
    return text + "end\n";
}

std::optional<SignedStatement> parseStatement(std::string_view text) {
    const std::optional<std::vector<std::vector<std::string_view>>> lines = splitStatementLines(text);
    if (!lines || lines->size() < 4) return std::nullopt;
    const auto& all = *lines;
    SignedStatement statement;
    if (all[0].size() != 1 || all[0][0] != kHeading) return std::nullopt;
    if (all[1].size() != 2 || all[1][0] != "key" || !base64Field(all[1][1], statement.signerKey))
        return std::nullopt;
    if (all[2].size() != 2 || all[2][0] != "list" || !hexDigest(all[2][1], statement.listDigest))
        return std::nullopt;
    bool ended = false;
    for (std::size_t i = 3; i < all.size(); ++i) {
        if (ended || !readLine(all[i], statement, ended)) return std::nullopt;
    }
    // One text per statement: what is verified is exactly what the author signed, read one way only.
    if (!ended || formatStatement(statement) != text) return std::nullopt;
    return statement;
}

std::string publicKeyPem(const std::vector<std::uint8_t>& der) { return pemArmour("PUBLIC KEY", der); }

std::vector<std::uint8_t> publicKeyDer(const std::string& pem) {
    // The fingerprint checks the key is a P-256 one before its bytes are taken.
    publicKeyFingerprint(pem);
    return readPemBlock(pem).der;
}

}  // namespace setup
