#include "app/listwrite.h"

#include "app/numtext.h"
#include "app/sjis.h"
#include "app/text_escape.h"

#include <charconv>

namespace wattorio {

namespace {
constexpr const char* kLineEnd = "\r\n";

std::string where(int line) {
    return std::to_string(line) + " 行目";
}

bool isBareNumber(std::string_view text) {
    if (text.empty())
        return false;
    std::size_t i = 0;
    if (text[i] == '+' || text[i] == '-')
        ++i;
    std::size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        std::size_t expDigits = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            ++i;
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
    }
    return i == text.size();
}
} // namespace

void ListWriter::writeString(std::string_view text) {
    text_ += '"';
    text_ += text;
    text_ += '"';
    text_ += kLineEnd;
}

void ListWriter::writeNumber(double value) {
    text_ += numberText(value);
    text_ += kLineEnd;
}

void ListWriter::writeNumber(float value) {
    text_ += numberText(value);
    text_ += kLineEnd;
}

void ListWriter::writeStrings(const std::vector<std::string>& texts) {
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i > 0)
            text_ += ',';
        text_ += '"';
        text_ += texts[i];
        text_ += '"';
    }
    text_ += kLineEnd;
}

Result<std::string> ListWriter::bytes() const {
    std::string out;
    if (!toCp932(text_, out)) {
        // Name the first line that cannot be stored.
        std::size_t start = 0;
        int line = 1;
        while (start < text_.size()) {
            std::size_t end = text_.find('\n', start);
            if (end == std::string::npos)
                end = text_.size();
            const std::string_view l(text_.data() + start, end - start);
            if (!representableInCp932(l))
                return Error{"Shift_JIS で保存できない文字があります（" + where(line) +
                             "）: " + std::string(l)};
            start = end + 1;
            ++line;
        }
        return Error{"Shift_JIS で保存できない文字があります。"};
    }
    return out;
}

ListReader::ListReader(std::string utf8Text) : text_(std::move(utf8Text)) {}

ListReader ListReader::fromBytes(std::string_view bytes) {
    Decoded d = fromCp932(bytes);
    ListReader r(std::move(d.text));
    r.clean_ = d.clean;
    return r;
}

void ListReader::skipBlanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t'))
        ++pos_;
}

bool ListReader::atEnd() {
    // Blank lines and trailing blanks between fields are not fields.
    while (pos_ < text_.size()) {
        const char c = text_[pos_];
        if (c == ' ' || c == '\t' || c == '\r')
            ++pos_;
        else if (c == '\n') {
            ++pos_;
            ++line_;
        } else if (c == '\x1A') { // an end-of-file mark
            pos_ = text_.size();
        } else
            break;
    }
    return pos_ >= text_.size();
}

Result<ListField> ListReader::next() {
    if (atEnd())
        return Error{where(line_) + ": ファイルの終わりに達しました。"};
    ListField field;
    field.line = line_;
    if (text_[pos_] == '"') {
        const std::size_t close = text_.find('"', pos_ + 1);
        if (close == std::string::npos)
            return Error{where(line_) + ": 引用符が閉じていません。"};
        const std::string_view inner(text_.data() + pos_ + 1, close - pos_ - 1);
        for (char c : inner)
            if (c == '\n')
                ++line_;
        field.text.assign(inner);
        field.quoted = true;
        pos_ = close + 1;
        // Anything up to the separator after a closing quote is dropped, as list-read does.
        while (pos_ < text_.size() && text_[pos_] != ',' && text_[pos_] != '\n')
            ++pos_;
    } else {
        std::size_t end = pos_;
        while (end < text_.size() && text_[end] != ',' && text_[end] != '\n')
            ++end;
        std::string_view bare(text_.data() + pos_, end - pos_);
        while (!bare.empty() && (bare.back() == ' ' || bare.back() == '\t' || bare.back() == '\r'))
            bare.remove_suffix(1);
        field.text.assign(bare);
        pos_ = end;
    }
    if (pos_ < text_.size() && text_[pos_] == ',')
        ++pos_;
    skipBlanks();
    return field;
}

Result<std::string> ListReader::nextString() {
    Result<ListField> f = next();
    if (!f)
        return f.error();
    return std::move(f->text);
}

Result<double> ListReader::nextNumber() {
    Result<ListField> f = next();
    if (!f)
        return f.error();
    if (f->quoted || !isBareNumber(f->text))
        return Error{where(f->line) + ": 数値ではありません: " + escapedForMessage(f->text)};
    return val(f->text);
}

} // namespace wattorio
