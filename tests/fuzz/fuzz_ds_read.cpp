// Feeds arbitrary texts to every data-structure reader. A text that one of them accepts must
// write back as the same text (in upper case); anything else must be refused without harm.
#include "Support/DataStructures.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

template <class T>
void Check(T& target, const std::string& text)
{
    if (!DS_ReadString(target, text.c_str())) return;
    TaggedValue written;
    if (!DS_WriteString(target, &written)) abort();
    std::string upper = text;
    for (char& c : upper) c = (char)toupper((unsigned char)c);
    if (upper != written.GetString()) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    std::string text;
    // Odd first byte: the rest is the text itself; even: the rest is the byte stream, spelled in hex
    // so that the parser behind the hex layer is reached.
    if (data[0] & 1) {
        text.assign((const char*)data + 1, size - 1);
        text.resize(strlen(text.c_str()));
    } else {
        static const char digits[] = "0123456789ABCDEF";
        for (size_t i = 1; i < size; i++) {
            text.push_back(digits[data[i] >> 4]);
            text.push_back(digits[data[i] & 15]);
        }
    }
    CDS_Stack stack;
    CDS_Queue queue;
    CDS_List list;
    CDS_Map map;
    CDS_Priority priority;
    CDS_Grid grid(2, 2);
    Check(stack, text);
    Check(queue, text);
    Check(list, text);
    Check(map, text);
    Check(priority, text);
    Check(grid, text);
    return 0;
}
