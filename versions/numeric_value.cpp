#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/failure.h"
#include "versions/version_numbers.h"

namespace setup {

namespace {

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

/// Digit value of `c` in `radix`, or -1.
int digitValue(wchar_t c, int radix) {
    int value = -1;
    if (isDigit(c))
        value = c - L'0';
    else if (c >= L'a' && c <= L'f')
        value = c - L'a' + 10;
    else if (c >= L'A' && c <= L'F')
        value = c - L'A' + 10;
    return value < radix ? value : -1;
}

/// "&H" and "&O" integers: a value that fits 16 bits is read as a 16-bit signed number, a larger one as
/// a 32-bit signed number; beyond that the value overflows. Nullopt when no digit follows the prefix.
std::optional<double> prefixedInteger(const std::wstring& digits, int radix) {
    std::uint64_t value = 0;
    std::size_t count = 0;
    for (wchar_t c : digits) {
        const int digit = digitValue(c, radix);
        if (digit < 0) break;
        value = value * static_cast<std::uint64_t>(radix) + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFu) throw Failure("d\u00E9passement dans une valeur num\u00E9rique");
        ++count;
    }
    if (count == 0) return std::nullopt;
    const std::size_t shortDigits = radix == 16 ? 4 : 6;
    if (count <= shortDigits && value <= 0xFFFFu)
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

/// Length of the run of digits at `pos`.
std::size_t digitsAt(std::string_view text, std::size_t pos) {
    std::size_t end = pos;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
    return end - pos;
}

/// For a number that a double cannot hold: true when it is below the smallest one rather than above the
/// largest, judged by the decimal place of its first significant digit.
bool isTooSmall(std::string_view number) {
    long long place = 0;
    std::size_t pos = 0;
    while (pos < number.size() && number[pos] == '0') ++pos;
    const std::size_t wholeDigits = digitsAt(number, pos);
    if (wholeDigits > 0) {
        place = static_cast<long long>(wholeDigits);
        pos += wholeDigits;
    }
    if (pos < number.size() && number[pos] == '.') {
        ++pos;
        if (wholeDigits == 0) {
            while (pos < number.size() && number[pos] == '0') {
                --place;
                ++pos;
            }
        }
        pos += digitsAt(number, pos);
    }
    long long exponent = 0;
    if (pos < number.size() && (number[pos] == 'E' || number[pos] == 'e')) {
        ++pos;
        const bool negativeExponent = pos < number.size() && number[pos] == '-';
        if (pos < number.size() && (number[pos] == '+' || number[pos] == '-')) ++pos;
        for (; pos < number.size(); ++pos)
            exponent = std::min(exponent * 10 + (number[pos] - '0'), 1000000LL);
        if (negativeExponent) exponent = -exponent;
    }
    return place + exponent <= 0;
}

}  // namespace

double numericValue(const std::wstring& text) { return leadingNumber(text).value_or(0.0); }

std::optional<double> leadingNumber(const std::wstring& text) {
    std::wstring compact;
    for (wchar_t c : text) {
        if (c != L' ' && c != L'\t' && c != L'\n') compact += c;
    }
    if (compact.size() >= 2 && compact[0] == L'&') {
        if (compact[1] == L'H' || compact[1] == L'h') return prefixedInteger(compact.substr(2), 16);
        if (compact[1] == L'O' || compact[1] == L'o') return prefixedInteger(compact.substr(2), 8);
    }

    // Keep the longest leading part that reads as a decimal number, in plain ASCII for from_chars.
    std::string ascii;
    for (wchar_t c : compact) {
        if (c > 0x7F) break;
        ascii += static_cast<char>(c);
    }
    std::size_t pos = 0;
    bool negative = false;
    if (pos < ascii.size() && (ascii[pos] == '+' || ascii[pos] == '-')) negative = ascii[pos++] == '-';
    const std::size_t start = pos;
    std::size_t mantissaDigits = digitsAt(ascii, pos);
    pos += mantissaDigits;
    if (pos < ascii.size() && ascii[pos] == '.') {
        const std::size_t fraction = digitsAt(ascii, pos + 1);
        mantissaDigits += fraction;
        pos += 1 + fraction;
    }
    if (mantissaDigits == 0) return std::nullopt;
    if (pos < ascii.size() && (ascii[pos] == 'E' || ascii[pos] == 'e')) {
        std::size_t exponent = pos + 1;
        if (exponent < ascii.size() && (ascii[exponent] == '+' || ascii[exponent] == '-')) ++exponent;
        const std::size_t exponentDigits = digitsAt(ascii, exponent);
        if (exponentDigits > 0) pos = exponent + exponentDigits;
    }
    double value = 0.0;
    const auto result = std::from_chars(ascii.data() + start, ascii.data() + pos, value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too small a number reads as 0; too large a one does not fit a double.
        if (isTooSmall(std::string_view(ascii).substr(start, pos - start))) return 0.0;
        throw Failure("d\u00E9passement dans une valeur num\u00E9rique");
    }
    return negative ? -value : value;
}

}  // namespace setup
