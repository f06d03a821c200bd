#include "signature/trust_record.h"

#include <algorithm>

#include "platform/text_codec.h"
#include "signature/statement_lines.h"
#include "signing/base64.h"

namespace setup {

namespace {

constexpr std::string_view kHeading = "Kelvane trust 1";

bool sameSection(const std::wstring& a, const std::wstring& b) {
    auto fold = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](wchar_t x, wchar_t y) { return fold(x) == fold(y); });
}

}  // namespace

std::string formatTrust(const TrustRecord& trust) {
    std::string text = std::string(kHeading) + "\nkey\t" + base64Encode(trust.key) + "\n";
    for (const SignedVersion& version : trust.highest)
        text += "version\t" + toUtf8(version.section) + "\t" + toUtf8(version.version) + "\n";
    return text + "end\n";
}

std::optional<TrustRecord> parseTrust(std::string_view text) {
    const auto lines = splitStatementLines(text);
    if (!lines || lines->size() < 3) return std::nullopt;
    const auto& all = *lines;
    TrustRecord trust;
    if (all[0].size() != 1 || all[0][0] != kHeading) return std::nullopt;
    if (all[1].size() != 2 || all[1][0] != "key" || !base64Field(all[1][1], trust.key)) return std::nullopt;
    for (std::size_t i = 2; i + 1 < all.size(); ++i) {
        SignedVersion version;
        if (all[i].size() != 3 || all[i][0] != "version" || !wideField(all[i][1], version.section) ||
            !wideField(all[i][2], version.version) || version.section.empty() ||
            highestVersion(trust, version.section))
            return std::nullopt;
        trust.highest.push_back(std::move(version));
    }
    if (all.back().size() != 1 || all.back()[0] != "end" || formatTrust(trust) != text) return std::nullopt;
    return trust;
}

std::optional<std::wstring> highestVersion(const TrustRecord& trust, const std::wstring& section) {
    for (const SignedVersion& version : trust.highest) {
        if (sameSection(version.section, section)) return version.version;
    }
    return std::nullopt;
}

TrustRecord trustAfter(const std::optional<TrustRecord>& trust, const SignedStatement& statement) {
    TrustRecord next;
    next.key = statement.nextKey ? *statement.nextKey : statement.signerKey;
    if (trust) next.highest = trust->highest;
    for (const SignedVersion& version : statement.versions) {
        auto known = std::find_if(next.highest.begin(), next.highest.end(), [&](const SignedVersion& held) {
            return sameSection(held.section, version.section);
        });
        if (known == next.highest.end())
            next.highest.push_back(version);
        else
            known->version = version.version;
    }
    return next;
}

}  // namespace setup
