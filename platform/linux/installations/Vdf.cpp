#include "platform/linux/installations/Vdf.h"

#include "core/text/Text.h"

namespace tmt::platform::vdf {

namespace {

// Steam's own files nest a handful of levels; the bound keeps a crafted file from exhausting the
// stack.
constexpr int kMaxDepth = 32;

enum class TokenKind { Open, Close, Text, End, Bad };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

class Tokens {
public:
    explicit Tokens(std::string_view text) : text_(text) {}

    Token Next() {
        while (SkipBlanksAndComments()) {
            if (text_[at_] != '[') {
                break;
            }
            // A platform condition such as [$WIN32] belongs to the entry before it.
            const std::size_t close = text_.find(']', at_);
            if (close == std::string_view::npos) {
                return {TokenKind::Bad, {}};
            }
            at_ = close + 1;
        }
        if (at_ >= text_.size()) {
            return {TokenKind::End, {}};
        }
        const char c = text_[at_];
        if (c == '{') {
            ++at_;
            return {TokenKind::Open, {}};
        }
        if (c == '}') {
            ++at_;
            return {TokenKind::Close, {}};
        }
        if (c == '"') {
            return Quoted();
        }
        return Bare();
    }

private:
    // True while there is text left.
    bool SkipBlanksAndComments() {
        while (at_ < text_.size()) {
            if (IsBlank(text_[at_])) {
                ++at_;
            } else if (text_.substr(at_, 2) == "//") {
                const std::size_t end = text_.find('\n', at_);
                at_ = end == std::string_view::npos ? text_.size() : end + 1;
            } else {
                return true;
            }
        }
        return false;
    }

    Token Quoted() {
        std::string text;
        for (++at_; at_ < text_.size(); ++at_) {
            const char c = text_[at_];
            if (c == '"') {
                ++at_;
                return {TokenKind::Text, std::move(text)};
            }
            if (c == '\\' && at_ + 1 < text_.size()) {
                const char escaped = text_[++at_];
                switch (escaped) {
                case 'n':
                    text += '\n';
                    break;
                case 't':
                    text += '\t';
                    break;
                case '\\':
                case '"':
                    text += escaped;
                    break;
                default:
                    text += '\\';
                    text += escaped;
                    break;
                }
                continue;
            }
            text += c;
        }
        return {TokenKind::Bad, {}};
    }

    Token Bare() {
        const std::size_t start = at_;
        while (at_ < text_.size() && !IsBlank(text_[at_]) && text_[at_] != '"' &&
               text_[at_] != '{' && text_[at_] != '}') {
            ++at_;
        }
        return {TokenKind::Text, std::string(text_.substr(start, at_ - start))};
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

// Reads entries up to the closing brace of this block (or the end of the text at the top).
bool ReadBlock(Tokens& tokens, Block& block, int depth) {
    while (true) {
        Token key = tokens.Next();
        if (key.kind == TokenKind::End) {
            return depth == 0;
        }
        if (key.kind == TokenKind::Close) {
            return depth > 0;
        }
        if (key.kind != TokenKind::Text) {
            return false;
        }
        Token value = tokens.Next();
        if (value.kind == TokenKind::Text) {
            block.entries.push_back({std::move(key.text), std::move(value.text)});
            continue;
        }
        if (value.kind != TokenKind::Open || depth + 1 > kMaxDepth) {
            return false;
        }
        Block child;
        if (!ReadBlock(tokens, child, depth + 1)) {
            return false;
        }
        block.entries.push_back({std::move(key.text), std::move(child)});
    }
}

} // namespace

const std::string* Block::Text(std::string_view key) const {
    for (const Entry& entry : entries) {
        if (const auto* text = std::get_if<std::string>(&entry.value);
            text != nullptr && EqualsIgnoreAsciiCase(entry.key, key)) {
            return text;
        }
    }
    return nullptr;
}

const Block* Block::Child(std::string_view key) const {
    for (const Entry& entry : entries) {
        if (const auto* child = std::get_if<Block>(&entry.value);
            child != nullptr && EqualsIgnoreAsciiCase(entry.key, key)) {
            return child;
        }
    }
    return nullptr;
}

std::optional<Block> Parse(std::string_view text) {
    Tokens tokens(text);
    Block top;
    if (!ReadBlock(tokens, top, 0)) {
        return std::nullopt;
    }
    return top;
}

} // namespace tmt::platform::vdf
