// Keeps the fuzzing guarantee in every build: the committed corpora and a fixed number of
// seeded mutations of them go through the directory layer's readers without a fault.
#include "corpus.h"
#include "directoryfuzz.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

using Harness = void (*)(const std::uint8_t *, std::size_t);

std::vector<QByteArray> corpus(const char *name)
{
    return testsupport::corpusTexts(testsupport::readCorpus(
        QStringLiteral(DAYPANE_DIRECTORY_CORPUS "/") + QLatin1String(name)));
}

void run(Harness h, const QByteArray &input)
{
    h(reinterpret_cast<const std::uint8_t *>(input.constData()), std::size_t(input.size()));
}

QByteArray mutate(const QByteArray &input, const std::vector<QByteArray> &inputs, std::mt19937 &rng)
{
    static const char *const tokens[] = {
        "[",   "]", "=",    "#",  " #", ";",    "\n",     "\r\n",    "\\",  ",",    "+",   "Z",
        "+01", ".", "\x07", "\0", "%u", "ldap", "source", "timeout", "cn=", "\\2C", "\xff"};
    return testsupport::mutate(input, inputs, rng, {tokens, 400, 384});
}

struct Reader
{
    const char *corpus;
    Harness harness;
};

class DirectoryCorpus : public ::testing::TestWithParam<Reader>
{
};

} // namespace

TEST_P(DirectoryCorpus, EveryCommittedInputAndItsMutationsAreReadOrRejected)
{
    const std::vector<QByteArray> inputs = corpus(GetParam().corpus);
    ASSERT_GE(inputs.size(), 4u);
    for (const QByteArray &input : inputs)
        run(GetParam().harness, input);
    std::mt19937 rng(20261209);
    // A fixed amount of work, the same on every machine.
    for (int i = 0; i < 5000; ++i)
        run(GetParam().harness, mutate(inputs[std::size_t(rng() % inputs.size())], inputs, rng));
}

INSTANTIATE_TEST_SUITE_P(Readers, DirectoryCorpus,
                         ::testing::Values(Reader{"config", exerciseConfigReader},
                                           Reader{"logins", exerciseLoginRecords},
                                           Reader{"ldapvalues", exerciseLdapValues}),
                         [](const auto &info) { return std::string(info.param.corpus); });
