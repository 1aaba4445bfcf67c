// Any bytes as the help file: parse either finds topics with distinct,
// non-empty keys or says why not; every topic is found by its key.
#include "core/help/HelpFile.h"

#include <cstdlib>
#include <set>

using namespace kaldex;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    HelpFile help;
    std::string error;
    bool ok = help.parse(std::string_view(reinterpret_cast<const char *>(data), size), &error);
    if (ok != !help.topics().empty() || (!ok && error.empty()))
        std::abort();
    std::set<std::string> keys;
    for (const HelpTopic &topic : help.topics()) {
        if (topic.key.empty() || !keys.insert(topic.key).second || help.find(topic.key) != &topic)
            std::abort();
        if (topic.key.find(' ') != std::string::npos)
            std::abort();
    }
    return 0;
}
