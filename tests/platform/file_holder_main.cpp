// A second program that holds a file open, for the tests that need a real holder:
//
//   file_holder [--map] PATH
//
// It writes "held" on its standard output once PATH is held, and lets go at the first line or at the end
// of its standard input. Windows: the file is open with reading shared alone, so that no other program
// may rename, replace or delete it. Linux: the file is open for reading; with --map it is mapped and its
// descriptor closed, so that only the mapping holds it.
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
// Its declarations need those of windows.h first.
#include <shellapi.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
bool hold(char** /*narrow*/, int index, bool map) {
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (map || arguments == nullptr || index >= count) return false;
    // Never closed: the end of the process lets go.
    const HANDLE file = ::CreateFileW(arguments[index], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ::LocalFree(arguments);
    return file != INVALID_HANDLE_VALUE;
}
#else
bool hold(char** arguments, int index, bool map) {
    const int fd = ::open(arguments[index], O_RDONLY | O_CLOEXEC);
    if (fd < 0 || !map) return fd >= 0;
    struct stat st {};
    const bool mapped =
        ::fstat(fd, &st) == 0 && st.st_size > 0 &&
        ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_SHARED, fd, 0) != MAP_FAILED;
    ::close(fd);
    return mapped;
}
#endif

}  // namespace

int main(int argc, char** argv) {
    const bool map = argc == 3 && std::strcmp(argv[1], "--map") == 0;
    if (argc != 2 && !map) {
        std::fputs("usage: file_holder [--map] PATH\n", stderr);
        return 2;
    }
    if (!hold(argv, argc - 1, map)) {
        std::fprintf(stderr, "file_holder: cannot hold %s\n", argv[argc - 1]);
        return 1;
    }
    std::fputs("held\n", stdout);
    std::fflush(stdout);
    for (int c = std::getchar(); c != EOF && c != '\n'; c = std::getchar()) {
    }
    return 0;
}
