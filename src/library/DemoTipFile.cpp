// DemoTip (library/DemoHead.h): a demo file read for its tip, and what was
// read remembered, so that the tip over an unchanged demo reads it once.
#include "library/DemoHead.h"

#include <map>
#include <memory>

namespace {

constexpr DWORD kChunkBytes = 1 << 20;
// Past this many demos the remembered ones are forgotten all at once: a
// library of 10,000 demos cannot grow it without end (an entry holds a path
// and the map's field, under a kilobyte).
constexpr size_t kMostRemembered = 4096;
constexpr ULONGLONG kSecondsFrom1601To1970 = 11644473600ULL;
constexpr ULONGLONG kFileTimeUnitsPerSecond = 10000000ULL;

// A file's size and last-write time, from an open handle: the key under which
// what was read from that handle is remembered.
struct FileState {
    ULONGLONG size = 0;
    FILETIME saved{};
    bool operator==(const FileState& other) const {
        return size == other.size && CompareFileTime(&saved, &other.saved) == 0;
    }
};

struct Remembered {
    FileState state;
    DemoFacts facts;
};

struct IgnoringCase {
    bool operator()(const std::wstring& a, const std::wstring& b) const {
        return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                    TRUE) == CSTR_LESS_THAN;
    }
};

std::map<std::wstring, Remembered, IgnoringCase>& Memory() {
    static std::map<std::wstring, Remembered, IgnoringCase> memory;
    return memory;
}

class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

// Opens the demo, shared every way: the game may still be writing it, and
// may rename or delete it meanwhile. Without read access (FILE_READ_ATTRIBUTES
// alone) it opens even while another program holds it without sharing.
DWORD Open(const std::wstring& path, DWORD access, DWORD flags, HANDLE& file) {
    file = CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, flags, nullptr);
    if (file != INVALID_HANDLE_VALUE) return 0;
    const DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? ERROR_DIRECTORY : error;
}

DWORD StateOf(HANDLE file, FileState& state) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info)) return GetLastError();
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return ERROR_DIRECTORY;
    state.size = (static_cast<ULONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    state.saved = info.ftLastWriteTime;
    return 0;
}

// Reads the file from its start as far as the reader needs: the head's 180
// bytes first (a demo whose head has its length needs no more), then large
// chunks.
DWORD ReadDemo(HANDLE file, DemoFacts& facts) {
    const std::unique_ptr<char[]> chunk(new char[kChunkBytes]);
    DemoReader reader;
    for (DWORD wanted = kDemoHeadSize;; wanted = kChunkBytes) {
        DWORD read = 0;
        if (!ReadFile(file, chunk.get(), wanted, &read, nullptr)) return GetLastError();
        if (read == 0 || !reader.Feed(std::string_view(chunk.get(), read))) break;
    }
    facts = reader.Finish();
    return 0;
}

// The facts of the demo at the path, read now or remembered, and the state
// of the file they were read from.
DWORD FactsOf(const std::wstring& path, DemoFacts& facts, FileState& state) {
    HANDLE look = INVALID_HANDLE_VALUE;
    DWORD error = Open(path, FILE_READ_ATTRIBUTES, 0, look);
    const Handle looked(look);
    if (error == 0) error = StateOf(look, state);
    if (error != 0) return error;
    auto& memory = Memory();
    const auto known = memory.find(path);
    if (known != memory.end() && known->second.state == state) {
        facts = known->second.facts;
        return 0;
    }
    HANDLE read = INVALID_HANDLE_VALUE;
    error = Open(path, GENERIC_READ, FILE_FLAG_SEQUENTIAL_SCAN, read);
    const Handle reading(read);
    if (error == 0) error = StateOf(read, state);
    if (error == 0) error = ReadDemo(read, facts);
    if (error != 0) return error;
    if (memory.size() >= kMostRemembered && known == memory.end()) memory.clear();
    memory[path] = Remembered{state, facts};
    return 0;
}

LONGLONG SecondsNow() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG units = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return static_cast<LONGLONG>(units / kFileTimeUnitsPerSecond - kSecondsFrom1601To1970);
}

} // namespace

std::wstring DemoTip(const std::wstring& path) {
    DemoFacts facts;
    FileState state;
    const DWORD error = FactsOf(path, facts, state);
    return DemoTipText(facts, state.size, state.saved, error, SecondsNow());
}
