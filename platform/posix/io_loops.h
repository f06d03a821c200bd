#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace setup {

/// Reads up to `size` bytes of `fd`, retrying on interruption; 0 at the end of the file. Throws Failure
/// naming `shown`.
std::size_t readSome(int fd, char* data, std::size_t size, const std::string& shown);

/// Writes all `size` bytes to `fd`, retrying on interruption and short writes. Throws Failure naming
/// `shown`.
void writeAll(int fd, const char* data, std::size_t size, const std::string& shown);

/// The process's file creation mask, read without changing it.
mode_t currentUmask();

}  // namespace setup
