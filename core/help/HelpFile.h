#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kaldex {

/**
 * The help file: UTF-8 text of topics. A line "== KEY Title" starts a
 * topic, KEY being a help context number or a word ("contents",
 * "help-on-help"); the lines up to the next such line are its text. Lines
 * starting with "#" before the first topic are comments.
 */
struct HelpTopic {
    std::string key;
    std::string title;
    std::string text;
};

class HelpFile {
public:
    /** Reads the file's text, in time linear in it; false with the reason in *error for a file without topics. */
    bool parse(std::string_view text, std::string *error);

    const HelpTopic *find(std::string_view key) const;
    const std::vector<HelpTopic> &topics() const { return topics_; }

private:
    std::vector<HelpTopic> topics_;
    std::unordered_map<std::string, size_t> index_;  // key → topic
};

}  // namespace kaldex
