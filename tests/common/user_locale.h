#pragma once
// The C library's locale set as a user's desktop sets it, for the length of one test: Qt calls
// setlocale(LC_ALL, "") at start-up, so a program runs under whatever the user's LANG and LC_*
// say, and a comma locale changes what printf writes and strtod reads.
#include <clocale>
#include <string>

class TUserLocale {
public:
    // `category` as setlocale takes it; Applied() is false where the locale is not installed
    // (scripts/install-deps.sh makes ja_JP.UTF-8 and de_DE.UTF-8).
    TUserLocale(int category, const char* name) : category_(category) {
        const char* before = std::setlocale(category, nullptr);
        before_ = before ? before : "C";
        applied_ = std::setlocale(category, name) != nullptr;
    }
    ~TUserLocale() { std::setlocale(category_, before_.c_str()); }
    TUserLocale(const TUserLocale&) = delete;
    TUserLocale& operator=(const TUserLocale&) = delete;

    bool Applied() const { return applied_; }

private:
    int category_;
    std::string before_;
    bool applied_ = false;
};
