#include "formfuzz.h"

#include "formtestclasses.h"
#include "framework/formreader.h"

bool exerciseFormReader(const std::uint8_t *data, std::size_t size)
{
    // The reader tests' classes: a property of every kind the reader converts to.
    static const framework::FormReader reader = testFormReader();
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    bool taken = true;
    try {
        const framework::FormDescription form =
            framework::parseFormDescription(text, QStringLiteral("FUZZ"));
        TTestCore owner;
        reader.createNonVisual(form, &owner);
    } catch (const framework::EFormError &) {
        taken = false; // rejected input is the expected outcome for most of it
    }
    formLog().clear(); // what the components did is of no interest here, and must not pile up
    return taken;
}
