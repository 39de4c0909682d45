#include "drawing/fonts.h"

#include <fontconfig/fontconfig.h>

#include <QByteArray>
#include <QFont>
#include <QFontDatabase>
#include <QString>
#include <QStringList>
#include <cstdio>

namespace {

struct FaceMapping {
    const char* requested;                            // the name the window and the sheet ask for
    const char* wanted;                               // the installed face that matches its metrics
    std::initializer_list<const char*> alternatives;  // tried in order if it is missing
};

// The proportional face needs its own explicit mapping: a plain Japanese-language match would
// hand out the fixed-pitch Gothic for it and change the window's label widths.
const FaceMapping Mappings[] = {
    {"ＭＳ ゴシック", "IPAGothic", {"IPAexGothic", "Noto Sans Mono CJK JP", "VL Gothic", "Takao Gothic"}},
    {"ＭＳ 明朝", "IPAMincho", {"IPAexMincho", "Noto Serif CJK JP", "Takao Mincho", "IPAGothic"}},
    {"ＭＳ Ｐゴシック", "IPAPGothic", {"IPAexGothic", "Noto Sans CJK JP", "VL PGothic", "Takao PGothic"}},
};

// A font has a family name in each language it was made for (IPAMincho is also "IPA明朝"), and
// fontconfig puts the one of the user's language first: under ja_JP Qt lists "IPA明朝" alone, and
// Qt's own look-up of the other names works only once its database happens to be filled.
// fontconfig's listing compares the name with every family name of every face, whatever the locale.
bool Installed(const QString& name) {
    const QByteArray utf8 = name.toUtf8();
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(utf8.constData()));
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
    const bool found = fonts != nullptr && fonts->nfont > 0;
    if (fonts) FcFontSetDestroy(fonts);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return found;
}

QString AnyJapaneseFamily() {
    const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
    return japanese.isEmpty() ? QString() : japanese.front();
}

}  // namespace

void InstallFontSubstitutions() {
    for (const FaceMapping& m : Mappings) {
        const QString requested = QString::fromUtf8(m.requested);
        QString chosen = QString::fromLatin1(m.wanted);
        if (!Installed(chosen)) {
            chosen.clear();
            for (const char* alt : m.alternatives) {
                if (Installed(QString::fromLatin1(alt))) {
                    chosen = QString::fromLatin1(alt);
                    break;
                }
            }
            if (chosen.isEmpty()) chosen = AnyJapaneseFamily();
            if (chosen.isEmpty()) {
                std::fprintf(stderr,
                             "tavrelo: font %s is not installed and no Japanese font was found; "
                             "Japanese text will not display (install fonts-ipafont)\n",
                             m.wanted);
                continue;
            }
            std::fprintf(stderr, "tavrelo: font %s is not installed; using %s for \"%s\" instead\n", m.wanted,
                         chosen.toUtf8().constData(), m.requested);
        }
        // Replace rather than append, so that a second call does not pile up stale entries.
        QFont::removeSubstitutions(requested);
        QFont::insertSubstitution(requested, chosen);
    }
}
