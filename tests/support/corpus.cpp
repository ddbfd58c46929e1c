#include "corpus.h"

#include <QDir>
#include <QFile>

namespace testsupport {

std::vector<CorpusFile> readCorpus(const QString &folder)
{
    std::vector<CorpusFile> files;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            files.push_back({name, file.readAll()});
    }
    return files;
}

std::vector<QByteArray> corpusTexts(const std::vector<CorpusFile> &files)
{
    std::vector<QByteArray> texts;
    for (const CorpusFile &file : files)
        texts.push_back(file.text);
    return texts;
}

QByteArray mutate(QByteArray input, const std::vector<QByteArray> &inputs, std::mt19937 &rng,
                  const Mutations &how)
{
    const auto pick = [&](std::size_t n) { return std::size_t(rng() % (n ? n : 1)); };
    const int steps = 1 + int(rng() % 4);
    for (int s = 0; s < steps; ++s) {
        const qsizetype pos = qsizetype(pick(std::size_t(input.size()) + 1));
        switch (rng() % 6) {
        case 0:
            if (pos < input.size())
                input[pos] = char(rng());
            break;
        case 1:
            input.insert(pos, how.tokens[pick(how.tokens.size())]);
            break;
        case 2:
            input.remove(pos, qsizetype(pick(std::size_t(how.longestRemoval))));
            break;
        case 3:
            input.insert(pos,
                         input.mid(qsizetype(pick(std::size_t(input.size()))), how.longestCopy));
            break;
        case 4: {
            const QByteArray &other = inputs[pick(inputs.size())];
            input = input.left(pos) + other.mid(qsizetype(pick(std::size_t(other.size()))));
            break;
        }
        default:
            input.truncate(pos);
            break;
        }
    }
    return input;
}

} // namespace testsupport
