#include <exception>
#include <string>

#include "platform/entry_reader.h"
#include "platform/failure.h"
#include "platform/text_codec.h"
#include "tests/fuzz/fuzz_checks.h"

namespace setup::fuzz {

std::optional<std::string> checkEntryReader(std::string_view bytes) {
    // One character per byte, so an entry is a run of the decoded list.
    const std::wstring decoded = fromAnsi(bytes);
    EntryReader reader{std::string(bytes)};
    std::size_t cursor = 0;
    std::size_t calls = 0;
    while (!reader.atEnd()) {
        // Every read consumes at least one byte, so more reads than bytes means the reader stands still.
        if (++calls > bytes.size())
            return "the reader does not advance: read " + std::to_string(calls) + " times";
        std::wstring entry;
        try {
            entry = reader.next();
        } catch (const Failure&) {
            if (!reader.atEnd()) return "the reader does not stand at the end after a failed read";
            return std::nullopt;
        } catch (const std::exception& error) {
            return std::string("a read throws something other than a failure: ") + error.what();
        }
        const std::size_t found = decoded.find(entry, cursor);
        if (found == std::wstring::npos) {
            return "entry " + std::to_string(calls) + " (" + toUtf8(entry) +
                   ") is not a piece of the list after the previous entry";
        }
        cursor = found + entry.size();
    }
    return std::nullopt;
}

}  // namespace setup::fuzz
