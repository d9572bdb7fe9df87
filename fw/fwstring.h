// CString: the UTF-16 string of the framework layer. Each holder owns its
// own value (std::wstring; wchar_t is 16-bit on Windows).
#pragma once

#include <windows.h>

#include <string>

class CString {
public:
    CString() = default;
    CString(const wchar_t* s) : m_s(s ? s : L"") {}
    CString(const wchar_t* s, int n) : m_s(s ? std::wstring(s, n < 0 ? 0 : static_cast<size_t>(n)) : std::wstring()) {}
    CString(std::wstring s) : m_s(std::move(s)) {}

    int GetLength() const { return static_cast<int>(m_s.size()); }
    bool IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }
    const wchar_t* GetString() const { return m_s.c_str(); }
    operator const wchar_t*() const { return m_s.c_str(); }
    wchar_t GetAt(int i) const { return m_s[static_cast<size_t>(i)]; }
    wchar_t operator[](int i) const { return GetAt(i); }

    CString Left(int n) const { return CString(m_s.substr(0, n < 0 ? 0 : static_cast<size_t>(n))); }
    CString Mid(int first) const { return first >= GetLength() ? CString() : CString(m_s.substr(first < 0 ? 0 : first)); }
    int ReverseFind(wchar_t c) const {
        size_t p = m_s.rfind(c);
        return p == std::wstring::npos ? -1 : static_cast<int>(p);
    }

    CString& operator=(const wchar_t* s) { m_s = s ? s : L""; return *this; }
    CString& operator+=(const CString& o) { m_s += o.m_s; return *this; }
    CString& operator+=(const wchar_t* s) { if (s) m_s += s; return *this; }
    CString& operator+=(wchar_t c) { m_s += c; return *this; }
    friend CString operator+(CString a, const CString& b) { a += b; return a; }
    friend CString operator+(CString a, const wchar_t* b) { a += b; return a; }
    friend CString operator+(const wchar_t* a, const CString& b) { CString r(a); r += b; return r; }
    friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
    friend bool operator!=(const CString& a, const CString& b) { return a.m_s != b.m_s; }
    friend bool operator==(const CString& a, const wchar_t* b) { return a.m_s == (b ? b : L""); }

    // Direct access for Win32 calls that fill a buffer: GetBuffer(n) gives room
    // for n units plus the terminator, ReleaseBuffer(-1) trims at the first NUL.
    wchar_t* GetBuffer(int minLength) {
        if (minLength > GetLength()) m_s.resize(static_cast<size_t>(minLength));
        return &m_s[0];
    }
    void ReleaseBuffer(int newLength = -1) {
        if (newLength < 0) newLength = static_cast<int>(wcsnlen(m_s.c_str(), m_s.size()));
        m_s.resize(static_cast<size_t>(newLength));
    }

    // Overwrites the characters before letting them go, for secrets.
    void SecureEmpty() {
        if (!m_s.empty()) SecureZeroMemory(&m_s[0], m_s.size() * sizeof(wchar_t));
        m_s.clear();
        m_s.shrink_to_fit();
    }

    const std::wstring& str() const { return m_s; }
    std::u16string ToU16() const { return std::u16string(reinterpret_cast<const char16_t*>(m_s.c_str()), m_s.size()); }
    static CString FromU16(const std::u16string& s) {
        return CString(reinterpret_cast<const wchar_t*>(s.c_str()), static_cast<int>(s.size()));
    }

private:
    std::wstring m_s;
};

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected on Windows");
