#include "web/json_writer.h"

#include <cstdio>

// A comma before every value but an object's or array's first, and none after a key.
void JsonWriter::Value() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!open_.empty()) {
        if (open_.back()) out_ += ',';
        open_.back() = true;
    }
}

JsonWriter& JsonWriter::BeginObject() {
    Value();
    out_ += '{';
    open_.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    out_ += '}';
    open_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    Value();
    out_ += '[';
    open_.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    out_ += ']';
    open_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key) {
    String(key);
    out_ += ':';
    afterKey_ = true;
    return *this;
}

// The runs that need no escape are copied at once: a sheet's image is nearly all such runs.
JsonWriter& JsonWriter::String(std::string_view text) {
    Value();
    out_ += '"';
    std::size_t from = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c != '"' && c != '\\' && c != '<') continue;
        out_.append(text, from, i - from);
        from = i + 1;
        switch (c) {
            case '"':
                out_ += "\\\"";
                break;
            case '\\':
                out_ += "\\\\";
                break;
            case '\n':
                out_ += "\\n";
                break;
            case '<':
                // Never "</script>" in what the page may put into the document.
                out_ += "\\u003c";
                break;
            default:
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", c);
                out_ += escape;
        }
    }
    out_.append(text, from, std::string_view::npos);
    out_ += '"';
    return *this;
}

JsonWriter& JsonWriter::Number(std::int64_t n) {
    Value();
    out_ += std::to_string(n);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool b) {
    Value();
    out_ += b ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Null() {
    Value();
    out_ += "null";
    return *this;
}
