// Keeps the fuzzing guarantee in every build: the committed corpora and a fixed number of
// seeded mutations of them go through the directory layer's readers without a fault.
#include "directoryfuzz.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

using Harness = void (*)(const std::uint8_t *, std::size_t);

std::vector<QByteArray> corpus(const char *name)
{
    std::vector<QByteArray> inputs;
    const QDir dir(QStringLiteral(DAYPANE_DIRECTORY_CORPUS "/") + QLatin1String(name));
    for (const QString &file : dir.entryList(QDir::Files, QDir::Name)) {
        QFile f(dir.filePath(file));
        if (f.open(QIODevice::ReadOnly))
            inputs.push_back(f.readAll());
    }
    return inputs;
}

void run(Harness h, const QByteArray &input)
{
    h(reinterpret_cast<const std::uint8_t *>(input.constData()), std::size_t(input.size()));
}

QByteArray mutate(QByteArray input, const std::vector<QByteArray> &inputs, std::mt19937 &rng)
{
    static const char *const tokens[] = {
        "[",   "]", "=",    "#",  " #", ";",    "\n",     "\r\n",    "\\",  ",",    "+",   "Z",
        "+01", ".", "\x07", "\0", "%u", "ldap", "source", "timeout", "cn=", "\\2C", "\xff"};
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
            input.insert(pos, tokens[pick(std::size(tokens))]);
            break;
        case 2:
            input.remove(pos, qsizetype(pick(400)));
            break;
        case 3:
            input.insert(pos, input.mid(qsizetype(pick(std::size_t(input.size()))), 384));
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
