#pragma once

#include <QByteArray>
#include <QString>
#include <random>
#include <span>
#include <vector>

namespace testsupport {

// One committed seed of a fuzz target's corpus.
struct CorpusFile
{
    QString name;
    QByteArray text;
};

// The files of a corpus folder, in name order.
std::vector<CorpusFile> readCorpus(const QString &folder);
std::vector<QByteArray> corpusTexts(const std::vector<CorpusFile> &files);

// How a reader's inputs are mutated: tokens of its syntax to insert, and the longest stretch
// removed or copied at once.
struct Mutations
{
    std::span<const char *const> tokens;
    qsizetype longestRemoval = 16;
    qsizetype longestCopy = 24;
};

// One to four random edits of `input` (a byte changed, a token inserted, a stretch removed or
// copied, the tail of another input spliced on, the end cut off). The same `rng` seed gives the
// same inputs on every machine.
QByteArray mutate(QByteArray input, const std::vector<QByteArray> &inputs, std::mt19937 &rng,
                  const Mutations &how);

} // namespace testsupport
