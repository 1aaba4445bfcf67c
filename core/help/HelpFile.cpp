#include "core/help/HelpFile.h"

namespace kaldex {

bool HelpFile::parse(std::string_view text, std::string *error)
{
    topics_.clear();
    index_.clear();
    HelpTopic *topic = nullptr;
    size_t lineNumber = 0;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);

        if (line.substr(0, 3) == "== ") {
            std::string_view header = line.substr(3);
            size_t space = header.find(' ');
            std::string key(header.substr(0, space));
            if (key.empty() || !index_.emplace(key, topics_.size()).second) {
                if (error)
                    *error = "line " + std::to_string(lineNumber) + ": a topic without a key or with a key used twice";
                topics_.clear();
                index_.clear();
                return false;
            }
            topics_.push_back({key, space == std::string_view::npos ? key : std::string(header.substr(space + 1)), {}});
            topic = &topics_.back();
        } else if (topic) {
            topic->text.append(line);
            topic->text += '\n';
        }
    }
    // Trailing blank lines belong to no topic.
    for (HelpTopic &each : topics_)
        while (each.text.size() >= 2 && each.text.compare(each.text.size() - 2, 2, "\n\n") == 0)
            each.text.pop_back();
    if (topics_.empty()) {
        if (error)
            *error = "no topics";
        return false;
    }
    return true;
}

const HelpTopic *HelpFile::find(std::string_view key) const
{
    const auto found = index_.find(std::string(key));
    return found == index_.end() ? nullptr : &topics_[found->second];
}

}  // namespace kaldex
