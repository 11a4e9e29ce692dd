#pragma once

#include <QString>

#include <string>
#include <vector>

namespace trelvo::test {

// One ordered record of everything the controller did: facade calls, statistics calls and the
// requests it raised, each as one line of text such as "PlayerGo(2,3,11)".
class TCallLog {
public:
    void Add(const std::string &Line) { FLines.push_back(Line); }
    void Add(const QString &Line) { FLines.push_back(Line.toStdString()); }
    void Add(const char *Line) { FLines.push_back(Line); }
    const std::vector<std::string> &Lines() const { return FLines; }
    // The lines so far, and a fresh start.
    std::vector<std::string> Take() {
        std::vector<std::string> lines;
        lines.swap(FLines);
        return lines;
    }
    void Clear() { FLines.clear(); }
    bool Empty() const { return FLines.empty(); }

private:
    std::vector<std::string> FLines;
};

} // namespace trelvo::test
