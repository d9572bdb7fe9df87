// Fuzzes the bounded copy and the split of the connection request. The first
// four bytes choose the claimed byte count (cbData) relative to the payload
// that follows; the payload sits in a block of exactly its own size, so any
// read past it is caught by ASan.
#include "dialog/connection_request.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

// The split said another way: the first three non-empty runs between '#'.
std::vector<std::u16string> FirstThreeRuns(std::u16string_view text) {
    std::vector<std::u16string> runs;
    std::u16string run;
    for (char16_t c : text) {
        if (c == u'#') {
            if (!run.empty()) runs.push_back(run);
            run.clear();
        } else {
            run += c;
        }
    }
    if (!run.empty()) runs.push_back(run);
    runs.resize(3);
    return runs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    std::uint32_t control;
    std::memcpy(&control, data, 4);
    data += 4;
    size -= 4;

    // Control bits: 0 misaligns the payload, 1 makes it a request (else the
    // type comes from bits 8-19), 2 counts the payload exactly, 31 claims far
    // more than was sent (only when the payload is long enough that the copy
    // must stop at the buffer's limit first); otherwise bits 12-30 pick a
    // count within the payload.
    std::uint32_t cbData;
    const bool claimsMore = (control & 0x80000000u) && size >= 2 * vm::kRequestMaxUnits;
    if (claimsMore) {
        cbData = control;
    } else if (control & 4u) {
        cbData = static_cast<std::uint32_t>(size);
    } else {
        cbData = static_cast<std::uint32_t>(((control & 0x7FFFFFFFu) >> 12) % (size + 1));
    }
    const std::size_t blockSize = std::min<std::size_t>(size, cbData);
    std::unique_ptr<std::uint8_t[]> block(new std::uint8_t[blockSize + 1]);
    std::memcpy(block.get(), data, blockSize);
    // Misalign on odd control values.
    std::unique_ptr<std::uint8_t[]> shifted;
    const void* payload = block.get();
    if (control & 1u) {
        shifted.reset(new std::uint8_t[blockSize + 1]);
        std::memcpy(shifted.get() + 1, block.get(), blockSize);
        payload = shifted.get() + 1;
    }
    if (cbData > blockSize && !claimsMore) Fail("test set-up");

    struct {
        char16_t units[vm::kRequestBufferUnits];
        char16_t guard;
    } store;
    char16_t* const buffer = store.units;
    store.guard = u'G';
    std::size_t length = 12345;
    const std::uintptr_t type = (control & 2u) ? vm::kConnectionRequestType : (control >> 8) & 0xFFFu;
    if (type != vm::kConnectionRequestType) buffer[0] = u'S';
    const vm::RequestCopy result = vm::CopyConnectionRequest(
        type, cbData, payload, store.units, &length);

    if (store.guard != u'G') Fail("wrote past the buffer");
    if (type != vm::kConnectionRequestType) {
        if (result != vm::RequestCopy::NotARequest || buffer[0] != u'S' || length != 0) Fail("non-request touched");
        return 0;
    }
    if (length > vm::kRequestMaxUnits) Fail("more than 511 units");
    if (buffer[length] != u'\0') Fail("not terminated");
    if (2 * length + 2 > cbData && length != 0) Fail("took more units than counted");
    for (std::size_t i = 0; i < length; ++i)
        if (buffer[i] == u'\0') Fail("NUL inside the text");

    const std::u16string_view text(buffer, length);
    const vm::RequestFields f = vm::SplitConnectionRequest(text);
    for (std::u16string_view field : {f.user, f.password, f.host}) {
        if (field.find(u'#') != std::u16string_view::npos) Fail("field holds '#'");
        if (field.size() > length) Fail("field longer than the text");
    }
    const std::vector<std::u16string> expected = FirstThreeRuns(text);
    if (expected[0] != f.user || expected[1] != f.password || expected[2] != f.host) Fail("split differs from model");

    // Three fields that the split gave can be sent again and come back as they
    // are.
    if (!f.user.empty() && !f.password.empty() && !f.host.empty()) {
        const vm::ComposeResult again = vm::ComposeConnectionRequest(f.user, f.password, f.host);
        if (again.error != vm::ComposeError::None) Fail("split fields refused by compose");
        const vm::RequestFields back = vm::SplitConnectionRequest(again.text);
        if (back.user != f.user || back.password != f.password || back.host != f.host) Fail("round trip differs");
    }
    return 0;
}
