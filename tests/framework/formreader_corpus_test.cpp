// Keeps the fuzzing guarantee in every build: the committed corpus and ten thousand seeded
// mutations of it go through the reader without a crash or a stray exception.
#include "corpus.h"
#include "formfuzz.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

bool run(const QByteArray &input)
{
    return exerciseFormReader(reinterpret_cast<const std::uint8_t *>(input.constData()),
                              std::size_t(input.size()));
}

QByteArray mutate(const QByteArray &input, const std::vector<QByteArray> &inputs, std::mt19937 &rng)
{
    static const char *const tokens[] = {"object ", "end\n", "'", "''", "#", "#$",  "{",   "}",
                                         "[",       "]",     "(", ")",  "+", "=",   ":",   "$",
                                         ".",       "\n",    "-", "<",  "9", "nil", "True"};
    return testsupport::mutate(input, inputs, rng, {tokens, 16, 24});
}

} // namespace

// The good seeds must get through, or the fuzzer only ever explores the error paths.
TEST(FormReaderCorpus, GoodSeedsAreReadAndBadOnesRejected)
{
    const auto inputs = testsupport::readCorpus(QStringLiteral(DAYPANE_FORM_CORPUS));
    ASSERT_GE(inputs.size(), 4u);
    for (const testsupport::CorpusFile &input : inputs) {
        bool taken = false;
        EXPECT_NO_THROW(taken = run(input.text)) << input.name.toStdString();
        EXPECT_EQ(taken, input.name.startsWith(QLatin1String("form_"))) << input.name.toStdString();
    }
}

TEST(FormReaderCorpus, SeededMutationsNeverCrash)
{
    const std::vector<QByteArray> inputs =
        testsupport::corpusTexts(testsupport::readCorpus(QStringLiteral(DAYPANE_FORM_CORPUS)));
    ASSERT_FALSE(inputs.empty());
    // The same inputs on every machine: a fixed seed and a fixed number of runs.
    std::mt19937 rng(20261208);
    for (int run_ = 0; run_ < 10000; ++run_) {
        const QByteArray input = mutate(inputs[std::size_t(rng() % inputs.size())], inputs, rng);
        ASSERT_NO_THROW(run(input)) << "input:\n" << input.toStdString();
    }
}
