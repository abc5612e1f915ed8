#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

namespace jotrak::bench {

// Texts of a working life that differ from one another: words of two to four
// characters drawn from a vocabulary of 4000, word n about as often as 1/n,
// so a few hundred are common and most are rare; the 30 rarest have each a
// character found nowhere else. The same sequence on every run.
class VariedText {
public:
    VariedText();
    // A text of `words` words between key-dependent punctuation.
    QString sentence(int words);

private:
    std::uint32_t random();
    const QString& word();

    QStringList vocabulary_;
    std::uint64_t state_ = 0x2545F4914F6CDD1DULL;
};

} // namespace jotrak::bench
