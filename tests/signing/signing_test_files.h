#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace setup::test {

/// The text of a file of the committed vector (made by data/make-vector.sh).
/// Throws when the file is missing, so that no row is taken for refused for want of its input.
inline std::string vectorFile(const std::string& name) {
    const std::string text = readFile(std::filesystem::path(SETUP_SIGNING_DATA) / name);
    if (text.empty()) throw std::runtime_error("missing test file " + name);
    return text;
}

using Bytes = std::vector<std::uint8_t>;

/// The order n of the P-256 group, big-endian.
inline const Bytes kGroupOrder = {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF,
                                  0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xBC, 0xE6, 0xFA, 0xAD, 0xA7, 0x17,
                                  0x9E, 0x84, 0xF3, 0xB9, 0xCA, 0xC2, 0xFC, 0x63, 0x25, 0x51};

inline std::vector<std::uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }
inline std::string textOf(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

/// Whether the tests run under Wine, whose bcrypt makes two checks fewer than Windows
/// (win32/system_ecdsa.cpp).
inline bool underWine() {
#ifdef _WIN32
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

}  // namespace setup::test
