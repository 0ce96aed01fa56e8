// TCompactString: a text member that is empty in most objects, one pointer wide instead of the 32
// bytes of a std::string. Schema objects carry many such texts (a column's collation, check,
// default and a dozen dialect-specific attributes; an object's description, cached texts and
// alternative names); a large structure holds hundreds of thousands of objects, so their empty
// texts decided much of its memory. The text lives on the heap once it is set; an empty text holds
// nothing. It reads as a const std::string (and converts to one and to std::string_view), compares
// and concatenates with every string type, and is assigned from any of them.
#pragma once

#include <compare>
#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

namespace smx {

class TCompactString {
public:
    TCompactString() noexcept = default;
    TCompactString(std::string_view Text) { assign(Text); }
    TCompactString(const std::string& Text) { assign(Text); }
    TCompactString(std::string&& Text) { assign(std::move(Text)); }
    TCompactString(const char* Text) { assign(std::string_view(Text)); }
    TCompactString(const TCompactString& Other)
        : text_(Other.text_ ? new std::string(*Other.text_) : nullptr) {}
    TCompactString(TCompactString&& Other) noexcept : text_(std::exchange(Other.text_, nullptr)) {}
    ~TCompactString() { delete text_; }

    TCompactString& operator=(const TCompactString& Other) {
        if (this != &Other) assign(Other.str());
        return *this;
    }
    TCompactString& operator=(TCompactString&& Other) noexcept {
        std::swap(text_, Other.text_);
        return *this;
    }
    TCompactString& operator=(std::string_view Text) {
        assign(Text);
        return *this;
    }
    TCompactString& operator=(const std::string& Text) {
        assign(Text);
        return *this;
    }
    TCompactString& operator=(std::string&& Text) {
        assign(std::move(Text));
        return *this;
    }
    TCompactString& operator=(const char* Text) {
        assign(std::string_view(Text));
        return *this;
    }

    /// The text (a shared empty string when there is none).
    const std::string& str() const noexcept { return text_ ? *text_ : Empty(); }
    operator const std::string&() const noexcept { return str(); }
    operator std::string_view() const noexcept { return str(); }

    bool empty() const noexcept { return !text_ || text_->empty(); }
    std::size_t size() const noexcept { return str().size(); }
    std::size_t length() const noexcept { return str().size(); }
    const char* c_str() const noexcept { return str().c_str(); }
    const char* data() const noexcept { return str().data(); }
    char operator[](std::size_t Index) const { return str()[Index]; }
    char front() const { return str().front(); }
    char back() const { return str().back(); }
    std::string::const_iterator begin() const noexcept { return str().begin(); }
    std::string::const_iterator end() const noexcept { return str().end(); }
    std::size_t find(std::string_view What, std::size_t From = 0) const noexcept {
        return str().find(What, From);
    }
    std::size_t find(char What, std::size_t From = 0) const noexcept { return str().find(What, From); }
    std::size_t rfind(std::string_view What, std::size_t From = std::string::npos) const noexcept {
        return str().rfind(What, From);
    }
    std::string substr(std::size_t Pos = 0, std::size_t Count = std::string::npos) const {
        return str().substr(Pos, Count);
    }
    int compare(std::string_view Other) const noexcept { return std::string_view(str()).compare(Other); }

    void clear() noexcept {
        delete text_;
        text_ = nullptr;
    }
    TCompactString& operator+=(std::string_view Text) {
        if (!Text.empty()) edit().append(Text);
        return *this;
    }
    TCompactString& operator+=(char C) {
        edit().push_back(C);
        return *this;
    }
    /// The text for changing in place (made when there is none).
    std::string& edit() {
        if (!text_) text_ = new std::string();
        return *text_;
    }

    friend bool operator==(const TCompactString& A, const TCompactString& B) noexcept {
        return std::string_view(A.str()) == std::string_view(B.str());
    }
    friend bool operator==(const TCompactString& A, std::string_view B) noexcept {
        return std::string_view(A.str()) == B;
    }
    friend bool operator==(const TCompactString& A, const std::string& B) noexcept {
        return std::string_view(A.str()) == std::string_view(B);
    }
    friend bool operator==(const TCompactString& A, const char* B) noexcept {
        return std::string_view(A.str()) == std::string_view(B);
    }
    friend std::strong_ordering operator<=>(const TCompactString& A, const TCompactString& B) noexcept {
        return std::string_view(A.str()) <=> std::string_view(B.str());
    }
    friend std::strong_ordering operator<=>(const TCompactString& A, std::string_view B) noexcept {
        return std::string_view(A.str()) <=> B;
    }

    friend std::string operator+(const TCompactString& A, std::string_view B) { return Concat(A.str(), B); }
    friend std::string operator+(const TCompactString& A, const std::string& B) { return Concat(A.str(), B); }
    friend std::string operator+(const TCompactString& A, const char* B) { return Concat(A.str(), B); }
    friend std::string operator+(const TCompactString& A, char B) { return A.str() + B; }
    friend std::string operator+(std::string_view A, const TCompactString& B) { return Concat(A, B.str()); }
    friend std::string operator+(const std::string& A, const TCompactString& B) { return Concat(A, B.str()); }
    friend std::string operator+(std::string&& A, const TCompactString& B) {
        return std::move(A.append(B.str()));
    }
    friend std::string operator+(const char* A, const TCompactString& B) { return Concat(A, B.str()); }
    friend std::string operator+(char A, const TCompactString& B) { return A + B.str(); }
    friend std::string operator+(const TCompactString& A, const TCompactString& B) {
        return Concat(A.str(), B.str());
    }

    friend std::ostream& operator<<(std::ostream& Out, const TCompactString& S) { return Out << S.str(); }

private:
    static const std::string& Empty() noexcept {
        static const std::string empty;
        return empty;
    }
    static std::string Concat(std::string_view A, std::string_view B) {
        std::string s;
        s.reserve(A.size() + B.size());
        s.append(A);
        s.append(B);
        return s;
    }
    void assign(std::string_view Text) {
        if (Text.empty()) {
            clear();
        } else if (text_) {
            text_->assign(Text);
        } else {
            text_ = new std::string(Text);
        }
    }
    void assign(std::string&& Text) {
        if (Text.empty()) {
            clear();
        } else if (text_) {
            *text_ = std::move(Text);
        } else {
            text_ = new std::string(std::move(Text));
        }
    }

    std::string* text_ = nullptr; // assignments of an empty text free it; edit() may leave one
};

} // namespace smx
