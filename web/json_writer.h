#pragma once
// JSON written as it goes, for the page's answers: a sheet's image is tens of kilobytes of
// text, written once into the answer, never into a tree first.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    // An object's member: its key, then its value.
    JsonWriter& Key(std::string_view key);
    JsonWriter& String(std::string_view text);
    JsonWriter& Number(std::int64_t n);
    JsonWriter& Bool(bool b);
    JsonWriter& Null();

    // The text so far; whole once every object and array begun has ended.
    const std::string& Text() const { return out_; }
    bool Complete() const { return open_.empty() && !out_.empty(); }

private:
    void Value();
    std::string out_;
    // For each object or array begun and not ended: whether something is in it yet.
    std::vector<bool> open_;
    bool afterKey_ = false;
};
