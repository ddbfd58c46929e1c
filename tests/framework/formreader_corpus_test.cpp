// Keeps the fuzzing guarantee in every build: the committed corpus and ten thousand seeded
// mutations of it go through the reader without a crash or a stray exception.
#include "formfuzz.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

struct Input
{
    QString name;
    QByteArray text;
};

std::vector<Input> corpusFiles()
{
    std::vector<Input> inputs;
    const QDir dir(QStringLiteral(DAYPANE_FORM_CORPUS));
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            inputs.push_back({name, file.readAll()});
    }
    return inputs;
}

std::vector<QByteArray> corpus()
{
    std::vector<QByteArray> texts;
    for (const Input &input : corpusFiles())
        texts.push_back(input.text);
    return texts;
}

bool run(const QByteArray &input)
{
    return exerciseFormReader(reinterpret_cast<const std::uint8_t *>(input.constData()),
                              std::size_t(input.size()));
}

QByteArray mutate(QByteArray input, const std::vector<QByteArray> &inputs, std::mt19937 &rng)
{
    static const char *const tokens[] = {"object ", "end\n", "'", "''", "#", "#$",  "{",   "}",
                                         "[",       "]",     "(", ")",  "+", "=",   ":",   "$",
                                         ".",       "\n",    "-", "<",  "9", "nil", "True"};
    const auto pick = [&](std::size_t n) { return std::size_t(rng() % (n ? n : 1)); };
    const int steps = 1 + int(rng() % 4);
    for (int s = 0; s < steps; ++s) {
        const qsizetype pos = qsizetype(pick(std::size_t(input.size()) + 1));
        switch (rng() % 6) {
        case 0:
            if (!input.isEmpty() && pos < input.size())
                input[pos] = char(rng());
            break;
        case 1:
            input.insert(pos, tokens[pick(std::size(tokens))]);
            break;
        case 2:
            input.remove(pos, qsizetype(pick(16)));
            break;
        case 3:
            input.insert(pos, input.mid(qsizetype(pick(std::size_t(input.size()))), 24));
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

} // namespace

// The good seeds must get through, or the fuzzer only ever explores the error paths.
TEST(FormReaderCorpus, GoodSeedsAreReadAndBadOnesRejected)
{
    const std::vector<Input> inputs = corpusFiles();
    ASSERT_GE(inputs.size(), 4u);
    for (const Input &input : inputs) {
        bool taken = false;
        EXPECT_NO_THROW(taken = run(input.text)) << input.name.toStdString();
        EXPECT_EQ(taken, input.name.startsWith(QLatin1String("form_"))) << input.name.toStdString();
    }
}

TEST(FormReaderCorpus, SeededMutationsNeverCrash)
{
    const std::vector<QByteArray> inputs = corpus();
    ASSERT_FALSE(inputs.empty());
    // The same inputs on every machine: a fixed seed and a fixed number of runs.
    std::mt19937 rng(20261208);
    for (int run_ = 0; run_ < 10000; ++run_) {
        const QByteArray input = mutate(inputs[std::size_t(rng() % inputs.size())], inputs, rng);
        ASSERT_NO_THROW(run(input)) << "input:\n" << input.toStdString();
    }
}
