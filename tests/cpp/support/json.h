// Just enough JSON for the conformance data: objects, arrays, strings, null, booleans and
// numbers (kept as their text). Throws std::runtime_error on malformed input.
#pragma once

#include <charconv>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "code_points.h"

// Declared in orvel itself, so the test namespaces of every package find them unqualified.
namespace orvel::inline test_support {

struct Json {
    enum class Kind { Null, Boolean, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    std::string text;  // a string's UTF-8 bytes, or a number's text
    std::vector<Json> items;
    std::map<std::string, Json> members;

    bool has(const std::string& key) const { return members.count(key) != 0; }
    const Json& at(const std::string& key) const { return members.at(key); }
};

class JsonReader {
public:
    static Json parse(std::string_view input) {
        JsonReader reader(input);
        Json value = reader.value();
        reader.skip_blanks();
        if (reader.pos_ != input.size()) reader.fail("trailing text");
        return value;
    }

private:
    explicit JsonReader(std::string_view input) : in_(input) {}

    [[noreturn]] void fail(const char* what) const {
        throw std::runtime_error(std::string("JSON: ") + what + " at byte " + std::to_string(pos_));
    }
    void skip_blanks() {
        while (pos_ < in_.size() &&
               (in_[pos_] == ' ' || in_[pos_] == '\n' || in_[pos_] == '\r' || in_[pos_] == '\t')) {
            ++pos_;
        }
    }
    char next() {
        if (pos_ >= in_.size()) fail("unexpected end");
        return in_[pos_++];
    }
    void expect(std::string_view word) {
        if (in_.substr(pos_, word.size()) != word) fail("unexpected word");
        pos_ += word.size();
    }

    Json value() {
        skip_blanks();
        if (pos_ >= in_.size()) fail("unexpected end");
        Json v;
        char c = in_[pos_];
        if (c == '{') {
            v.kind = Json::Kind::Object;
            ++pos_;
            skip_blanks();
            if (in_[pos_] == '}') return ++pos_, v;
            for (;;) {
                skip_blanks();
                if (next() != '"') fail("expected a key");
                std::string key = string_body();
                skip_blanks();
                if (next() != ':') fail("expected ':'");
                v.members[key] = value();
                skip_blanks();
                char sep = next();
                if (sep == '}') break;
                if (sep != ',') fail("expected ',' or '}'");
            }
        } else if (c == '[') {
            v.kind = Json::Kind::Array;
            ++pos_;
            skip_blanks();
            if (in_[pos_] == ']') return ++pos_, v;
            for (;;) {
                v.items.push_back(value());
                skip_blanks();
                char sep = next();
                if (sep == ']') break;
                if (sep != ',') fail("expected ',' or ']'");
            }
        } else if (c == '"') {
            ++pos_;
            v.kind = Json::Kind::String;
            v.text = string_body();
        } else if (c == 'n') {
            expect("null");
        } else if (c == 't' || c == 'f') {
            v.kind = Json::Kind::Boolean;
            v.boolean = c == 't';
            expect(v.boolean ? "true" : "false");
        } else {
            v.kind = Json::Kind::Number;
            std::size_t start = pos_;
            while (pos_ < in_.size() &&
                   std::string_view("+-.eE0123456789").find(in_[pos_]) != std::string_view::npos) {
                ++pos_;
            }
            if (pos_ == start) fail("unexpected character");
            v.text = std::string(in_.substr(start, pos_ - start));
        }
        return v;
    }

    std::uint32_t hex4() {
        std::uint32_t value = 0;
        const std::string_view digits = in_.substr(pos_, 4);
        auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
        if (digits.size() != 4 || error != std::errc() || end != digits.data() + 4) {
            fail("bad \\u escape");
        }
        pos_ += 4;
        return value;
    }

    // After the opening quote, up to and including the closing one.
    std::string string_body() {
        static constexpr std::string_view kEscaped = "\"\\/bfnrt", kMeant = "\"\\/\b\f\n\r\t";
        std::string out;
        for (;;) {
            char c = next();
            if (c == '"') return out;
            if (c != '\\') {
                out.push_back(c);
                continue;
            }
            char e = next();
            if (e != 'u') {
                const std::size_t at = kEscaped.find(e);
                if (at == std::string_view::npos) fail("bad escape");
                out.push_back(kMeant[at]);
                continue;
            }
            std::uint32_t cp = hex4();
            if (cp >= 0xD800 && cp <= 0xDBFF && in_.substr(pos_, 2) == "\\u") {
                pos_ += 2;
                std::uint32_t low = hex4();
                if (low < 0xDC00 || low > 0xDFFF) fail("unpaired surrogate");
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            } else if (cp >= 0xD800 && cp <= 0xDFFF) {
                fail("unpaired surrogate");
            }
            append_code_point(out, cp);
        }
    }

    std::string_view in_;
    std::size_t pos_ = 0;
};

}  // namespace orvel::inline test_support
