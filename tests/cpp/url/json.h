// Just enough JSON for the conformance data: objects, arrays, strings, null, booleans and
// numbers (kept as their text). Throws std::runtime_error on malformed input.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "code_points.h"

namespace orvel::url::testing {

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
        for (int i = 0; i < 4; ++i) {
            char c = next();
            value <<= 4;
            if (c >= '0' && c <= '9')
                value |= static_cast<std::uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f')
                value |= static_cast<std::uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                value |= static_cast<std::uint32_t>(c - 'A' + 10);
            else
                fail("bad \\u escape");
        }
        return value;
    }

    // After the opening quote, up to and including the closing one.
    std::string string_body() {
        std::string out;
        for (;;) {
            char c = next();
            if (c == '"') return out;
            if (c != '\\') {
                out.push_back(c);
                continue;
            }
            char e = next();
            switch (e) {
                case '"':
                    out.push_back('"');
                    break;
                case '\\':
                    out.push_back('\\');
                    break;
                case '/':
                    out.push_back('/');
                    break;
                case 'b':
                    out.push_back('\b');
                    break;
                case 'f':
                    out.push_back('\f');
                    break;
                case 'n':
                    out.push_back('\n');
                    break;
                case 'r':
                    out.push_back('\r');
                    break;
                case 't':
                    out.push_back('\t');
                    break;
                case 'u': {
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
                    break;
                }
                default:
                    fail("bad escape");
            }
        }
    }

    std::string_view in_;
    std::size_t pos_ = 0;
};

}  // namespace orvel::url::testing
