#include "library/DemoReader.h"

#include <zlib.h>

#include <algorithm>

namespace {

constexpr std::string_view kMagic = "SOLDEM";
constexpr size_t kHeadMapAt = 8, kHeadMapBytes = 161, kHeadDateAt = 172, kHeadTicksAt = 176;
constexpr size_t kMapBytes = 16;         // a player list's map field
constexpr size_t kCheckedStart = 3;      // where the checked family's records start
constexpr unsigned char kPlayerList = 0x10, kCompressed = 0xFF;
constexpr unsigned kEndRecord = 2;       // in the checked family
constexpr std::uint64_t kWholeBeforeCut = 100;

unsigned char ByteAt(std::string_view bytes, size_t at) {
    return at < bytes.size() ? static_cast<unsigned char>(bytes[at]) : 0;
}

bool MessageStart(unsigned char id) { return id == kPlayerList || id == kCompressed; }

std::int32_t Int32At(std::string_view bytes, size_t at) {
    std::uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(ByteAt(bytes, at + i)) << (8 * i);
    return static_cast<std::int32_t>(value);
}

DemoFamily FamilyOf(std::string_view start) {
    if (start.size() >= kDemoHeadSize && start.substr(0, kMagic.size()) == kMagic) return DemoFamily::WithHead;
    if (start.size() > 5 && start.substr(0, 3) == std::string_view("\0\0\0", 3) && MessageStart(ByteAt(start, 5)))
        return DemoFamily::HeadlessChecked;
    if (start.size() > 2 && MessageStart(ByteAt(start, 2))) return DemoFamily::HeadlessPlain;
    return DemoFamily::None;
}

// The first `wanted` bytes that a zlib stream inflates to, or fewer when it
// ends or breaks before: the output buffer is no larger, so a stream that
// would inflate to megabytes stops there.
std::string Inflated(std::string_view stream, size_t wanted) {
    std::string out(wanted, '\0');
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return {};
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
    z.avail_in = static_cast<uInt>(stream.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(wanted);
    inflate(&z, Z_SYNC_FLUSH);
    out.resize(wanted - z.avail_out);
    inflateEnd(&z);
    return out;
}

// The player list's map field: after the message's id (and check value).
std::string MapField(std::string_view record, DemoFamily family) {
    const size_t at = family == DemoFamily::HeadlessChecked ? 3 : 1;
    std::string message;
    if (ByteAt(record, 0) == kCompressed) {
        message = Inflated(record.substr(1), at + kMapBytes);
        record = message;
    }
    if (ByteAt(record, 0) != kPlayerList || record.size() < at + kMapBytes) return {};
    return std::string(record.substr(at, kMapBytes));
}

} // namespace

bool DemoReader::Feed(std::string_view bytes) {
    if (stage_ == Stage::Start) {
        const size_t take = std::min(bytes.size(), kDemoHeadSize - start_.size());
        start_.append(bytes.substr(0, take));
        bytes.remove_prefix(take);
        if (start_.size() < kDemoHeadSize) return true;
        Decide();
    }
    if (stage_ == Stage::Records) Walk(bytes);
    return stage_ != Stage::Done;
}

// The family from the file's first bytes, and the records from where they start.
void DemoReader::Decide() {
    facts_.family = FamilyOf(start_);
    stage_ = Stage::Records;
    std::string_view records = start_;
    switch (facts_.family) {
    case DemoFamily::WithHead:
        facts_.map = start_.substr(kHeadMapAt, kHeadMapBytes);
        facts_.headDate = Int32At(start_, kHeadDateAt);
        facts_.headTicks = Int32At(start_, kHeadTicksAt);
        // A length above 0 was written when the recording stopped: nothing to count.
        if (facts_.headTicks > 0) stage_ = Stage::Done;
        records.remove_prefix(kDemoHeadSize);
        break;
    case DemoFamily::HeadlessChecked:
        records.remove_prefix(kCheckedStart);
        capturing_ = true;
        break;
    case DemoFamily::HeadlessPlain:
        capturing_ = true;
        break;
    case DemoFamily::None:
        stage_ = Stage::Done;
        break;
    }
    if (stage_ == Stage::Records) Walk(records);
    start_.clear();
    start_.shrink_to_fit();
}

void DemoReader::Walk(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    size_t at = 0;
    while (at < n && stage_ == Stage::Records) {
        if (remaining_ > 0) {
            const size_t take = static_cast<size_t>(std::min<std::uint64_t>(remaining_, n - at));
            if (capturing_) first_.append(bytes.substr(at, take));
            remaining_ -= take;
            at += take;
            if (remaining_ == 0) RecordEnded();
        } else if (sizeLow_ >= 0) {
            const unsigned size = static_cast<unsigned>(sizeLow_) | (unsigned{p[at]} << 8);
            sizeLow_ = -1;
            ++at;
            Record(size);
        } else if (at + 1 < n) {
            const unsigned size = unsigned{p[at]} | (unsigned{p[at + 1]} << 8);
            at += 2;
            Record(size);
        } else {
            sizeLow_ = p[at];
            ++at;
        }
    }
}

void DemoReader::Record(unsigned size) {
    if (size == 1) {
        ++ticks_;
        ++records_;
        capturing_ = false; // no player list first: no map
    } else if (size == kEndRecord && facts_.family == DemoFamily::HeadlessChecked) {
        ended_ = true;
        stage_ = Stage::Done;
    } else {
        remaining_ = size == 0 ? 2 : size;
        if (size == 0) capturing_ = false;
    }
}

void DemoReader::RecordEnded() {
    ++records_;
    if (!capturing_) return;
    capturing_ = false;
    facts_.map = MapField(first_, facts_.family);
    first_.clear();
    first_.shrink_to_fit();
}

bool DemoReader::RecordsHold() const {
    if (ended_) return true;
    const bool cut = remaining_ > 0 || sizeLow_ >= 0;
    return !cut || records_ >= kWholeBeforeCut;
}

DemoFacts DemoReader::Finish() {
    if (stage_ == Stage::Start) Decide();
    const bool counted = facts_.family != DemoFamily::None &&
                         (facts_.family != DemoFamily::WithHead || facts_.headTicks <= 0);
    if (counted && RecordsHold()) facts_.ticks = ticks_;
    // A headless start is a demo only when its records hold together.
    if (facts_.family != DemoFamily::WithHead && !facts_.ticks) facts_ = DemoFacts{};
    return facts_;
}

DemoFacts ReadDemoBytes(std::string_view bytes) {
    DemoReader reader;
    reader.Feed(bytes);
    return reader.Finish();
}
