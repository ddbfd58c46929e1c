// Measures the labels of the window descriptions in a font: each caption's rendered width
// against the room up to its neighbour on the same line, the way TLabel sizes itself.
//
// fontfit [--forms DIR] [--locale NAME]... [--family FAMILY]... [--reference-fnt FILE]
//   no --family:     the designed family, resolved as the program resolves it (fontconfig);
//   --family:        the designed family replaced by FAMILY; with several, one summary row each;
//   --reference-fnt: widths compared with the advances of a Windows bitmap font file (the
//                    designed font), read with FreeType, bold made as GDI makes it;
//   --locale:        locales whose date-time text the last-login label may show (C, en_US);
//   --skip:          a label left out of the summary (one whose text is to change).

#include "dates/dates.h"
#include "fntreference.h"
#include "framework/formdescription.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLocale>
#include <QRect>
#include <QScreen>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

namespace {

using framework::FormObject;
using framework::FormValue;

const FormValue *value(const FormObject &o, const QString &name)
{
    for (const auto &p : o.properties)
        if (p.name == name)
            return &p.value;
    return nullptr;
}

int intValue(const FormObject &o, const QString &name, int fallback)
{
    const FormValue *v = value(o, name);
    return v != nullptr && v->kind == FormValue::Kind::Integer ? int(v->integer) : fallback;
}

bool boolValue(const FormObject &o, const QString &name, bool fallback)
{
    const FormValue *v = value(o, name);
    if (v == nullptr || v->kind != FormValue::Kind::Identifier)
        return fallback;
    return v->text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0;
}

QString textValue(const FormObject &o, const QString &name)
{
    const FormValue *v = value(o, name);
    return v != nullptr ? v->text : QString();
}

// The font a control ends up with: its parent's, with the control's own Font.* values on top.
struct DesignFont
{
    QString family = QStringLiteral("MS Sans Serif");
    int pixels = 11;
    bool bold = false, italic = false, underline = false;
};

DesignFont applyFont(DesignFont f, const FormObject &o)
{
    if (const FormValue *v = value(o, QStringLiteral("Font.Name")))
        f.family = v->text;
    if (const FormValue *v = value(o, QStringLiteral("Font.Height")))
        f.pixels = std::abs(int(v->integer)); // negative: the character height, as TFont takes it
    if (const FormValue *v = value(o, QStringLiteral("Font.Style"))) {
        f.bold = v->items.contains(QStringLiteral("fsBold"));
        f.italic = v->items.contains(QStringLiteral("fsItalic"));
        f.underline = v->items.contains(QStringLiteral("fsUnderline"));
    }
    return f;
}

enum class Kind { Label, Boxed }; // a self-sizing label, or a caption inside its control's box

struct Item
{
    QString form, parent, name;
    Kind kind = Kind::Label;
    DesignFont font;
    int left = 0, top = 0, width = 0, height = 0; // width/height: fixed size (boxed, no AutoSize)
    bool autoSize = true, rightJustify = false, wordWrap = false;
    QString caption;       // the design text
    QStringList runValues; // texts set at run time; the widest counts
    int parentWidth = 0, parentHeight = 0;
};

// Texts the about box's value labels take at run time.
QStringList runValuesFor(const QString &form, const QString &name, const QStringList &locales)
{
    if (form != QLatin1String("TABOUTBOX"))
        return {};
    if (name == QLatin1String("Label3") || name == QLatin1String("Label4")) {
        QStringList days;
        for (int d = 1; d <= 366; ++d)
            days << QString::number(d);
        return days;
    }
    if (name == QLatin1String("Label8"))
        return {QStringLiteral("0")};
    if (name != QLatin1String("Label6"))
        return {};
    // Every day of a leap and a common year, at times with wide digits and both halves of the
    // day, plus the date the label shows when the directory cannot be reached.
    QStringList texts;
    const QLocale saved;
    const double times[] = {
        0.0, (10 * 3600 + 58 * 60 + 58) / 86400.0, (12 * 3600 + 59 * 60 + 59) / 86400.0,
        (22 * 3600 + 58 * 60 + 58) / 86400.0, (23 * 3600 + 59 * 60 + 59) / 86400.0};
    for (const QString &loc : locales) {
        QLocale::setDefault(QLocale(loc));
        texts << dates::DateTimeToText(0.0);
        for (int year : {2024, 2026}) {
            const double first = dates::EncodeDate(year, 1, 1);
            const int days = dates::IsLeapYear(year) ? 366 : 365;
            for (int d = 0; d < days; ++d)
                for (double t : times)
                    texts << dates::DateTimeToText(first + d + t);
        }
    }
    QLocale::setDefault(saved);
    // A four-digit year, as a workstation's short date format may have it.
    texts << QStringLiteral("12/31/2026 11:59:59 PM");
    texts.removeDuplicates();
    return texts;
}

void collect(const QString &form, const FormObject &o, const DesignFont &parentFont,
             int parentWidth, int parentHeight, const QStringList &locales,
             std::vector<Item> &items, const QString &parentName)
{
    const DesignFont font = applyFont(parentFont, o);
    const bool isRoot = parentName.isEmpty();
    const int w = isRoot ? intValue(o, QStringLiteral("ClientWidth"), 0)
                         : intValue(o, QStringLiteral("Width"), 0);
    const int h = isRoot ? intValue(o, QStringLiteral("ClientHeight"), 0)
                         : intValue(o, QStringLiteral("Height"), 0);
    const auto item = [&](Kind kind) {
        Item it;
        it.form = form;
        it.parent = parentName;
        it.name = o.name;
        it.kind = kind;
        it.font = font;
        it.left = intValue(o, QStringLiteral("Left"), 0);
        it.top = intValue(o, QStringLiteral("Top"), 0);
        it.width = w;
        it.height = h;
        it.autoSize = kind == Kind::Label && boolValue(o, QStringLiteral("AutoSize"), true);
        it.caption = textValue(o, QStringLiteral("Caption"));
        it.parentWidth = parentWidth;
        it.parentHeight = parentHeight;
        return it;
    };
    if (o.className == QLatin1String("TLabel")) {
        Item it = item(Kind::Label);
        it.rightJustify =
            textValue(o, QStringLiteral("Alignment")) == QLatin1String("taRightJustify");
        it.wordWrap = boolValue(o, QStringLiteral("WordWrap"), false);
        it.runValues = runValuesFor(form, o.name, locales);
        items.push_back(it);
    } else if (o.className == QLatin1String("TdxfClock")) {
        // The text face shows the time in the control's font.
        Item it = item(Kind::Boxed);
        for (int hh = 0; hh < 24; ++hh)
            it.runValues << QStringLiteral("%1:58:58").arg(hh, 2, 10, QLatin1Char('0'));
        items.push_back(it);
    } else if (!isRoot && value(o, QStringLiteral("Caption")) != nullptr) {
        items.push_back(item(Kind::Boxed));
    }
    for (const FormObject &child : o.children)
        collect(form, child, font, w, h, locales, items, o.name);
}

// TLabel's text flags (left-justified; its alignment moves the box, not the text in it).
constexpr int kLabelFlags = Qt::TextShowMnemonic | Qt::AlignTop | Qt::AlignLeft;

QFont qfont(const DesignFont &f, const std::optional<QString> &family)
{
    QFont font;
    font.setFamily(family && f.family == QLatin1String("MS Sans Serif") ? *family : f.family);
    font.setPixelSize(f.pixels);
    font.setBold(f.bold);
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    return font;
}

// TLabel's own measuring: a bounding rectangle with its text flags, an empty caption as a space.
int textWidth(const QFontMetrics &fm, const QString &text, bool wrap, int boxWidth)
{
    const QString t = text.isEmpty() ? QStringLiteral(" ") : text;
    if (wrap)
        return fm.boundingRect(QRect(0, 0, boxWidth, 10000), kLabelFlags | Qt::TextWordWrap, t)
            .width();
    return fm.boundingRect(QRect(0, 0, 10000, 10000), kLabelFlags, t).width();
}

int textHeight(const QFontMetrics &fm, const QString &text, bool wrap, int boxWidth)
{
    const QString t = text.isEmpty() ? QStringLiteral(" ") : text;
    const int flags = kLabelFlags | (wrap ? Qt::TextWordWrap : 0);
    const QRect r = fm.boundingRect(QRect(0, 0, wrap ? boxWidth : 10000, 10000), flags, t);
    return std::max(r.height(), fm.height());
}

struct Measured
{
    const Item *item = nullptr;
    QString text;  // the widest of the texts it shows
    int width = 0; // of that text
    int refWidth = -1;
    QRect rect;   // where the text stands at run time
    int room = 0; // up to the neighbour (left of a right-justified label)
    int overflow = 0;
    int clipped = 0; // rows cut off at the bottom of a fixed-size label
};

struct Result
{
    QString resolved;
    int lineHeight = 0;
    std::vector<Measured> rows;
    int overflowing = 0, totalOverflow = 0, overlaps = 0, clipped = 0;
    int sumDelta = 0, maxDelta = 0, netDelta = 0, compared = 0;
    int minSpare = 1 << 30;
    QString tightest;
    QStringList overlapPairs;
};

// Widest text among a label's design caption and run-time values.
std::pair<QString, int> widest(const QFontMetrics &fm, const Item &it)
{
    QStringList texts = it.runValues;
    if (texts.isEmpty())
        texts << it.caption;
    QString best;
    int bestW = -1;
    for (const QString &t : texts) {
        const int w = textWidth(fm, t, it.wordWrap, it.width);
        if (w > bestW) {
            bestW = w;
            best = t;
        }
    }
    return {best, bestW};
}

Result measure(const std::vector<Item> &items, const std::optional<QString> &family,
               const FntReference *reference, const QStringList &skip)
{
    Result res;
    for (const Item &it : items) {
        const QFont font = qfont(it.font, family);
        if (res.resolved.isEmpty()) {
            res.resolved = QFontInfo(font).family();
            res.lineHeight = QFontMetrics(font).height();
        }
        const QFontMetrics fm(font);
        Measured m;
        m.item = &it;
        std::tie(m.text, m.width) = widest(fm, it);
        if (reference != nullptr && !it.wordWrap)
            m.refWidth = reference->width(m.text.isEmpty() ? QStringLiteral(" ") : m.text,
                                          it.font.pixels, it.font.bold);
        if (it.kind == Kind::Boxed || !it.autoSize) {
            m.rect = QRect(it.left, it.top, it.width, it.height);
            if (it.wordWrap)
                m.clipped = std::max(0, textHeight(fm, m.text, true, it.width) - it.height);
        } else {
            const int h = textHeight(fm, m.text, false, 0);
            if (it.rightJustify) {
                // The right edge stays where the design caption put it.
                const int right = it.left + textWidth(fm, it.caption, false, 0);
                m.rect = QRect(right - m.width, it.top, m.width, h);
            } else {
                m.rect = QRect(it.left, it.top, m.width, h);
            }
        }
        res.rows.push_back(m);
    }
    // Room: up to the next text on the same line in the same parent, or the parent's edge.
    for (Measured &m : res.rows) {
        const Item &it = *m.item;
        const auto sameLine = [&](const Measured &o) {
            return &o != &m && o.item->form == it.form && o.item->parent == it.parent &&
                   o.rect.top() < m.rect.bottom() + 1 && m.rect.top() < o.rect.bottom() + 1;
        };
        if (it.kind == Kind::Boxed) {
            m.room = it.width;
        } else if (it.rightJustify) {
            int limit = 0;
            for (const Measured &o : res.rows)
                if (sameLine(o) && o.item->left < it.left)
                    limit = std::max(limit, o.rect.right() + 1);
            m.room = m.rect.right() + 1 - limit;
        } else {
            int limit = it.parentWidth;
            for (const Measured &o : res.rows)
                if (sameLine(o) && o.rect.left() > m.rect.left())
                    limit = std::min(limit, o.rect.left());
            m.room = limit - it.left;
        }
        m.overflow = std::max(0, m.width - m.room);
        if (skip.contains(it.name))
            continue;
        if (m.overflow > 0) {
            ++res.overflowing;
            res.totalOverflow += m.overflow;
        }
        if (m.clipped > 0)
            ++res.clipped;
        if (m.refWidth >= 0 && it.kind == Kind::Label) {
            const int d = std::abs(m.width - m.refWidth);
            res.sumDelta += d;
            res.maxDelta = std::max(res.maxDelta, d);
            res.netDelta += m.width - m.refWidth;
            ++res.compared;
        }
        if (it.kind == Kind::Label && m.room - m.width < res.minSpare) {
            res.minSpare = m.room - m.width;
            res.tightest = it.name;
        }
    }
    for (size_t i = 0; i < res.rows.size(); ++i)
        for (size_t j = i + 1; j < res.rows.size(); ++j) {
            const Measured &a = res.rows[i], &b = res.rows[j];
            if (a.item->kind != Kind::Label || b.item->kind != Kind::Label ||
                a.item->form != b.item->form || a.item->parent != b.item->parent ||
                skip.contains(a.item->name) || skip.contains(b.item->name))
                continue;
            if (a.rect.intersects(b.rect)) {
                ++res.overlaps;
                res.overlapPairs << a.item->name + QLatin1Char('/') + b.item->name;
            }
        }
    return res;
}

QString styleText(const DesignFont &f)
{
    QString s = QString::number(f.pixels) + QStringLiteral("px");
    if (f.bold)
        s += QStringLiteral(" bold");
    if (f.italic)
        s += QStringLiteral(" italic");
    if (f.underline)
        s += QStringLiteral(" underline");
    return s;
}

void printDetails(QTextStream &out, const Result &r, bool withReference)
{
    out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7  %8\n")
               .arg(QStringLiteral("label"), -22)
               .arg(QStringLiteral("font"), -16)
               .arg(QStringLiteral("width"), 5)
               .arg(withReference ? QStringLiteral("ref") : QString(), 5)
               .arg(QStringLiteral("room"), 5)
               .arg(QStringLiteral("spare"), 6)
               .arg(QStringLiteral("at"), -13)
               .arg(QStringLiteral("text"));
    for (const Measured &m : r.rows) {
        const Item &it = *m.item;
        QString room = QString::number(m.room);
        if (it.rightJustify)
            room += QLatin1Char('<'); // room to the left
        QString spare = QString::number(m.room - m.width);
        if (m.overflow > 0)
            spare += QLatin1Char('!');
        if (m.clipped > 0)
            spare += QStringLiteral(" cut %1").arg(m.clipped);
        const QString at = QStringLiteral("%1..%2@%3")
                               .arg(m.rect.left())
                               .arg(m.rect.right() + 1)
                               .arg(m.rect.top());
        QString text = m.text;
        if (text.size() > 40)
            text = text.left(37) + QStringLiteral("...");
        out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7  \"%8\"\n")
                   .arg(it.form + QLatin1Char('.') + it.name, -22)
                   .arg(styleText(it.font), -16)
                   .arg(m.width, 5)
                   .arg(m.refWidth >= 0 ? QString::number(m.refWidth) : QString(), 5)
                   .arg(room, 5)
                   .arg(spare, 6)
                   .arg(at, -13)
                   .arg(text);
    }
}

QString summaryHeader()
{
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10  %11")
        .arg(QStringLiteral("family"), -22)
        .arg(QStringLiteral("resolved"), -22)
        .arg(QStringLiteral("h"), 2)
        .arg(QStringLiteral("overflow"), 8)
        .arg(QStringLiteral("px"), 4)
        .arg(QStringLiteral("overlap"), 7)
        .arg(QStringLiteral("clipped"), 7)
        .arg(QStringLiteral("sum|d|"), 6)
        .arg(QStringLiteral("max|d|"), 6)
        .arg(QStringLiteral("net"), 5)
        .arg(QStringLiteral("tightest"));
}

QString summaryRow(const QString &family, const Result &r)
{
    const auto ref = [&](int v) {
        return r.compared > 0 ? QString::number(v) : QStringLiteral("-");
    };
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10  %11 %12")
        .arg(family, -22)
        .arg(r.resolved, -22)
        .arg(r.lineHeight, 2)
        .arg(r.overflowing, 8)
        .arg(r.totalOverflow, 4)
        .arg(r.overlaps, 7)
        .arg(r.clipped, 7)
        .arg(ref(r.sumDelta), 6)
        .arg(ref(r.maxDelta), 6)
        .arg(ref(r.netDelta), 5)
        .arg(r.tightest)
        .arg(r.minSpare);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QCommandLineParser cl;
    cl.setApplicationDescription(QStringLiteral("Measures the window labels in a font."));
    cl.addHelpOption();
    const QCommandLineOption formsOpt(QStringLiteral("forms"),
                                      QStringLiteral("Folder of the form descriptions."),
                                      QStringLiteral("dir"), QStringLiteral(DAYPANE_FORMS_DIR));
    const QCommandLineOption familyOpt(
        QStringLiteral("family"), QStringLiteral("Family to put in place of the designed one."),
        QStringLiteral("family"));
    const QCommandLineOption refOpt(QStringLiteral("reference-fnt"),
                                    QStringLiteral("Bitmap font file of the designed family."),
                                    QStringLiteral("file"));
    const QCommandLineOption localeOpt(QStringLiteral("locale"),
                                       QStringLiteral("Locale of the date-time text (repeatable)."),
                                       QStringLiteral("name"));
    const QCommandLineOption skipOpt(QStringLiteral("skip"),
                                     QStringLiteral("Label to leave out of the summary."),
                                     QStringLiteral("name"));
    cl.addOptions({formsOpt, familyOpt, refOpt, localeOpt, skipOpt});
    cl.process(app);

    QStringList locales = cl.values(localeOpt);
    if (locales.isEmpty())
        locales = {QStringLiteral("C"), QStringLiteral("en_US")};

    std::vector<Item> items;
    const QDir dir(cl.value(formsOpt));
    for (const QString &form : {QStringLiteral("TFORM1"), QStringLiteral("TABOUTBOX")}) {
        try {
            const auto desc =
                framework::readFormDescription(dir.filePath(form + QStringLiteral(".dfm")), form);
            collect(form, desc.root, DesignFont{}, 0, 0, locales, items, QString());
        } catch (const framework::Exception &e) {
            std::fprintf(stderr, "fontfit: %s\n", qPrintable(e.message()));
            return 1;
        }
    }

    QTextStream out(stdout);
    FntReference fnt;
    const FntReference *reference = nullptr;
    if (cl.isSet(refOpt)) {
        QString error;
        if (!fnt.open(cl.value(refOpt), &error)) {
            std::fprintf(stderr, "fontfit: %s\n", qPrintable(error));
            return 1;
        }
        reference = &fnt;
    }
    const QStringList families = cl.values(familyOpt);
    if (QScreen *s = QGuiApplication::primaryScreen())
        out << QStringLiteral("platform %1, logical dpi %2, device pixel ratio %3\n")
                   .arg(QGuiApplication::platformName())
                   .arg(s->logicalDotsPerInch())
                   .arg(s->devicePixelRatio());
    if (families.size() <= 1) {
        const std::optional<QString> family =
            families.isEmpty() ? std::nullopt : std::optional<QString>(families.first());
        const Result r = measure(items, family, reference, cl.values(skipOpt));
        printDetails(out, r, reference != nullptr);
        out << "\n"
            << summaryHeader() << "\n"
            << summaryRow(family.value_or(QStringLiteral("MS Sans Serif")), r) << "\n";
        for (const QString &p : r.overlapPairs)
            out << "overlap: " << p << "\n";
        return 0;
    }
    out << summaryHeader() << "\n";
    for (const QString &f : families)
        out << summaryRow(f, measure(items, f, reference, cl.values(skipOpt))) << "\n";
    return 0;
}
