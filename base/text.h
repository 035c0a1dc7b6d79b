// Message texts. Every text is single-byte; a message is built from pieces that are
// either fixed texts of this program (Windows-1251, which holds ASCII unchanged),
// texts that came from the system (paths, registry values), which are in the ANSI
// code page of the machine, or texts read from the command line, kept as UTF-8.
// Keeping them apart lets a Russian message show correctly on a system whose ANSI
// code page is not 1251.
#pragma once

#include <string>
#include <vector>

enum class Charset : unsigned char { Cp1251, Ansi, Utf8 };

struct TextPiece {
    Charset charset;
    std::string bytes;
    bool operator==(const TextPiece& o) const { return charset == o.charset && bytes == o.bytes; }
};

class Text {
public:
    Text() = default;
    // A text written into this program.
    static Text Fixed(std::string bytes) { return Text(Charset::Cp1251, std::move(bytes)); }
    // A text read from the system.
    static Text FromSystem(std::string bytes) { return Text(Charset::Ansi, std::move(bytes)); }
    // A text of the command line.
    static Text FromUtf8(std::string bytes) { return Text(Charset::Utf8, std::move(bytes)); }

    Text& operator+=(const Text& other) {
        for (const TextPiece& p : other.pieces_) Append(p.charset, p.bytes);
        return *this;
    }
    friend Text operator+(Text a, const Text& b) { return a += b; }
    friend Text operator+(Text a, const char* fixed) { return a += Fixed(fixed); }
    friend Text operator+(Text a, const std::string& fixed) { return a += Fixed(fixed); }

    const std::vector<TextPiece>& Pieces() const { return pieces_; }
    // The single-byte text as one string, the pieces joined.
    std::string Bytes() const {
        std::string all;
        for (const TextPiece& p : pieces_) all += p.bytes;
        return all;
    }
    bool Empty() const { return pieces_.empty(); }

private:
    Text(Charset c, std::string bytes) { Append(c, std::move(bytes)); }
    void Append(Charset c, std::string bytes) {
        if (bytes.empty()) return;
        if (!pieces_.empty() && pieces_.back().charset == c)
            pieces_.back().bytes += bytes;
        else
            pieces_.push_back({c, std::move(bytes)});
    }
    std::vector<TextPiece> pieces_;
};

enum class Language { English, Russian };

// Every failure message exists in English and in Russian.
struct MessagePair {
    Text english;
    Text russian;

    const Text& In(Language language) const { return language == Language::Russian ? russian : english; }
};

// A yes/no question in both languages, each text with the caption it is asked under.
struct QuestionPair {
    MessagePair text;
    MessagePair caption;
};
