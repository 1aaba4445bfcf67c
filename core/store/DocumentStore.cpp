#include "core/store/DocumentStore.h"

namespace kaldex {

DocumentStore::DocumentStore() : records_(kSlots) {}

void DocumentStore::keepLoadedBytes(ByteBuffer bytes, size_t size, size_t unloadedFrom)
{
    if (loadedBytes_) {
        const char *begin = loadedBytes_.get(), *end = begin + loadedSize_;
        auto keep = [&](FieldText &field) {
            if (field.refersInto(begin, end))
                field.detach();
        };
        for (DocumentRecord &r : records_) {
            for (FieldText &name : r.authors)
                keep(name);
            for (FieldText &name : r.substances)
                keep(name);
            for (FieldText *text : {&r.citation, &r.abstract, &r.notes, &r.provenance})
                keep(*text);
        }
    }
    loadedBytes_ = std::move(bytes);
    loadedSize_ = size;
    unloadedFrom_ = unloadedFrom;
}

std::string_view DocumentStore::unloadedBytes() const
{
    if (!loadOverflow || !loadedBytes_ || unloadedFrom_ >= loadedSize_)
        return {};
    return {loadedBytes_.get() + unloadedFrom_, loadedSize_ - unloadedFrom_};
}

void DocumentStore::forgetSession()
{
    storedThisSession.assign(kSlots, false);
    loadedState.assign(kSlots, 0);
}

}  // namespace kaldex
