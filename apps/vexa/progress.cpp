#include "apps/vexa/progress.hpp"

#include <unistd.h>

#include <algorithm>
#include <iostream>

namespace vexa::cli {
namespace {

constexpr int kBarWidth = 30;
constexpr std::size_t kItemWidth = 40;

}  // namespace

Progress::Progress() : terminal_(::isatty(STDERR_FILENO) == 1) {}

Progress::~Progress() { Break(); }

void Progress::Show(const std::string& item, std::uint64_t done, std::uint64_t total) {
    if (!terminal_) {
        if (item != lastItem_) std::cerr << item << '\n';
        lastItem_ = item;
        return;
    }
    std::uint64_t percent = total == 0 ? 100 : std::min<std::uint64_t>(100, done * 100 / total);
    if (drawn_ && percent == lastPercent_ && item == lastItem_) return;
    lastPercent_ = percent;
    lastItem_ = item;
    int filled = static_cast<int>(percent * kBarWidth / 100);
    std::string shown = item.size() > kItemWidth ? "..." + item.substr(item.size() - kItemWidth + 3) : item;
    std::cerr << "\r[" << std::string(filled, '#') << std::string(kBarWidth - filled, ' ') << "] " << percent << "% "
              << shown << "\x1b[K" << std::flush;
    drawn_ = true;
}

void Progress::Break() {
    if (drawn_) std::cerr << '\n';
    drawn_ = false;
}

}  // namespace vexa::cli
