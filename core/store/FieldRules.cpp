#include "core/store/FieldRules.h"

namespace kaldex {

int firstGap(const std::string *names, int count)
{
    for (int i = 1; i < count; ++i) {
        if (!names[i].empty())
            continue;
        for (int later = i + 1; later < count; ++later)
            if (!names[later].empty())
                return i;
    }
    return -1;
}

}  // namespace kaldex
