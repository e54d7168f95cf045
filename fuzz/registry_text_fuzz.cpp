// Registry string data of fuzzed bytes and byte counts ended within
// buffers of exactly 0 to 299 bytes: the text is whole and terminated
// inside the buffer, or refused with an empty buffer; nothing is read or
// written past the buffer.
// Input: buffer size byte, two byte-count bytes, then the data.
#include <string.h>

#include "core/text/registry_text.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzReader reader = MakeReader(data, size);
    size_t bufferSize = (size_t)TakeByte(&reader) * 300 / 256;
    size_t bytes = (size_t)TakeByte(&reader) << 8;
    bytes |= TakeByte(&reader);
    bytes %= 320;
    size_t length;
    uint8_t *stored = TakeRest(&reader, &length);
    char *text = NewOutputBuffer(bufferSize);
    size_t filled = length < bufferSize ? length : bufferSize;
    if (filled > 0)
        memcpy(text, stored, filled);
    // The buffer as the query left it (marker bytes behind what it wrote).
    char *before = NewOutputBuffer(bufferSize);
    memcpy(before, text, bufferSize ? bufferSize : 1);
    int result = EndRegistryText(text, bufferSize, bytes);
    if (bufferSize == 0) {
        FUZZ_CHECK(result == -1);
        FUZZ_CHECK(MarkerIntact(text));
    } else if (result < 0) {
        FUZZ_CHECK(result == -1 && text[0] == '\0');
        FUZZ_CHECK(bytes > bufferSize ||
                   (bytes == bufferSize &&
                    memchr(before, '\0', bytes) == NULL));
    } else {
        FUZZ_CHECK(bytes <= bufferSize);
        FUZZ_CHECK((size_t)result < bufferSize && text[result] == '\0');
        FUZZ_CHECK((size_t)result <= bytes);
        FUZZ_CHECK(memcmp(text, before, (size_t)result) == 0);
        FUZZ_CHECK(memchr(before, '\0', (size_t)result) == NULL);
    }
    free(before);
    free(text);
    free(stored);
    return 0;
}
