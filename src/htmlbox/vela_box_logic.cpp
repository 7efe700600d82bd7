#include "htmlbox/vela_box_logic.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>
#include <algorithm>
#include <memory>

namespace {

constexpr int kMaxStringLength = 260;

struct CaptionEntry {
    unsigned id;
    unsigned stringId;
    const char* text;
};

const CaptionEntry kCaptions[] = {
    {IDOK, 9001, "OK"},
    {IDCANCEL, 9002, "Cancel"},
    {IDABORT, 9005, "Abort"},
    {IDRETRY, 9004, "Retry"},
    {IDIGNORE, 9003, "Ignore"},
    {IDYES, 9007, "Yes"},
    {IDNO, 9008, "No"},
    {IDHELP, 9006, "Help"},
    {IDTRYAGAIN, 9015, "Try again"},
    {IDCONTINUE, 9009, "Continue"},
    {IDSKIP, 9018, "Skip"},
    {IDSKIPALL, 9019, "Skip all"},
    {IDIGNOREALL, 9017, "Ignore all"},
    {IDYESTOALL, 9013, "Yes to all"},
    {IDNOTOALL, 9014, "No to all"},
    {IDREPORT, 9016, "Report"},
    {IDLESS, 9011, "<< More"},
    {IDMORE, 9010, "More >>"},
    {kVelaCheckTextId, 9012, "Do not show again"},
    {kVelaCountdownTitleId, 9020, "%s (%d seconds remaining)"},
};

const CaptionEntry* FindCaption(unsigned id) {
    for (const CaptionEntry& e : kCaptions)
        if (e.id == id) return &e;
    return nullptr;
}

std::optional<QString> LoadString(const VelaMessageBoxParams& params, unsigned id) {
    // The program keeps no string table of its own, so only a given module can answer.
    if (!params.stringModule || (params.style & VMB_NO_STRING_TABLE)) return std::nullopt;
    std::optional<QString> text = params.stringModule(id);
    if (text) *text = text->left(kMaxStringLength);
    return text;
}

std::unique_ptr<QSettings> OpenMemory(const VelaMessageBoxParams& params) {
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    // Company, program, "VelaMessageBox" as folder, file and group of the settings.
    auto settings =
        params.memoryCompany.isEmpty()
            ? std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, program)
            : std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                          params.memoryCompany, program);
    settings->beginGroup(QStringLiteral("VelaMessageBox"));
    return settings;
}

}  // namespace

QString LoadTextOrResource(const VelaText& field, const VelaMessageBoxParams& params) {
    if (!field.IsId()) return field.text;
    return LoadString(params, field.id).value_or(QString());
}

QString BuiltInCaption(unsigned id) {
    const CaptionEntry* e = FindCaption(id);
    return e ? QString::fromLatin1(e->text) : QString();
}

unsigned CaptionStringId(unsigned id) {
    const CaptionEntry* e = FindCaption(id);
    return e ? e->stringId : 0;
}

QString GetButtonCaption(const VelaMessageBoxParams& params, unsigned id,
                         const QString& defaultText) {
    const QString fallback = defaultText.isEmpty() ? BuiltInCaption(id) : defaultText;
    const auto mapped = params.captionMap.find(static_cast<int>(id));
    if (mapped != params.captionMap.end()) {
        // A mapped id that does not load leaves the caption to the next source.
        const QString caption = LoadTextOrResource(mapped->second, params);
        if (!caption.isEmpty()) return caption;
    }
    if (const unsigned stringId = CaptionStringId(id)) {
        if (std::optional<QString> loaded = LoadString(params, stringId)) return *loaded;
    }
    return fallback;
}

QStringList CustomButtonLines(const QString& text) {
    QString all = text;
    all.remove(QLatin1Char('\r'));
    QStringList lines;
    for (const QString& line : all.split(QLatin1Char('\n'))) {
        if (line.isEmpty()) continue;
        if (lines.size() == IDCUSTOM4 - IDCUSTOM1 + 1) break;
        lines << line;
    }
    return lines;
}

VelaButtonPlan PlanButtons(const VelaMessageBoxParams& params, const QStringList& customLines,
                           bool hasFooter) {
    VelaButtonPlan plan;
    const unsigned style = params.style;
    if (!customLines.isEmpty()) {
        for (int k = 0; k < customLines.size(); ++k) plan.ids.push_back(IDCUSTOM1 + k);
        plan.escapeAllowed = false;
    } else {
        const bool yesAll = style & VMB_ADD_YES_ALL;
        const bool noAll = style & VMB_ADD_NO_ALL;
        auto yesNo = [&](std::vector<int>& ids) {
            ids.push_back(IDYES);
            if (yesAll) ids.push_back(IDYESTOALL);
            ids.push_back(IDNO);
            if (noAll) ids.push_back(IDNOTOALL);
        };
        switch (style & 0x0F) {
            case 0:
                plan.ids = {IDOK};
                plan.escapeAllowed = true;
                break;
            case 1:
                plan.ids = {IDOK, IDCANCEL};
                plan.escapeAllowed = true;
                break;
            case 2:
                plan.ids = {IDABORT, IDRETRY, IDIGNORE};
                break;
            case 3:
                yesNo(plan.ids);
                plan.ids.push_back(IDCANCEL);
                plan.escapeAllowed = true;
                break;
            case 4:
                yesNo(plan.ids);
                break;
            case 5:
                plan.ids = {IDRETRY, IDCANCEL};
                plan.escapeAllowed = true;
                break;
            case 6:
                plan.ids = {IDCANCEL, IDTRYAGAIN, IDCONTINUE};
                plan.escapeAllowed = true;
                break;
            case 7:
                plan.ids = {IDCONTINUE, IDABORT};
                break;
            case 8:
                plan.ids = {IDSKIP, IDSKIPALL, IDCANCEL};
                plan.escapeAllowed = true;
                break;
            case 9:
                plan.ids = {IDIGNORE, IDIGNOREALL, IDCANCEL};
                plan.escapeAllowed = true;
                break;
            default:  // 10 to 15: no buttons
                break;
        }
    }
    if (style & MB_HELP) plan.ids.push_back(IDHELP);
    if (params.reportMessage != 0 && params.owner) plan.ids.push_back(IDREPORT);
    if (hasFooter) plan.ids.push_back(IDMORE);
    // A box none of whose buttons closes it (sets 10 to 15, perhaps with Help,
    // Report or More) would never go away: Escape and Close stay the way out.
    const bool closable = std::any_of(plan.ids.begin(), plan.ids.end(), [](int id) {
        return id != IDHELP && id != IDREPORT && id != IDMORE;
    });
    if (!closable) plan.escapeAllowed = true;
    const int index = static_cast<int>((style >> 8) & 0x0F);
    plan.defaultIndex = index < static_cast<int>(plan.ids.size()) ? index : 0;
    return plan;
}

QString FormatCaption(const QString& format, const QString& text, int number) {
    QString result = format;
    const int s = format.indexOf(QLatin1String("%s"));
    const int d = format.indexOf(QLatin1String("%d"));
    // The later one first, so the place of the earlier one still holds.
    auto fillS = [&] {
        if (s >= 0) result.replace(s, 2, text);
    };
    auto fillD = [&] {
        if (d >= 0) result.replace(d, 2, QString::number(number));
    };
    if (s > d) {
        fillS();
        fillD();
    } else {
        fillD();
        fillS();
    }
    return result;
}

QString RememberedValueName(const VelaMessageBoxParams& params) {
    return params.memoryPrefix + QString::number(params.memoryNumber);
}

int ReadRememberedAnswer(const VelaMessageBoxParams& params) {
    if (!(params.style & VMB_SHOW_CHECK) || params.memoryPrefix.isEmpty()) return 0;
    bool ok = false;
    const int answer = OpenMemory(params)->value(RememberedValueName(params)).toInt(&ok);
    return ok ? answer : 0;
}

bool WriteRememberedAnswer(const VelaMessageBoxParams& params, int answer) {
    if (params.memoryPrefix.isEmpty()) return false;
    auto settings = OpenMemory(params);
    settings->setValue(RememberedValueName(params), answer);
    settings->sync();
    return settings->status() == QSettings::NoError;
}

void ForgetRememberedAnswer(const VelaMessageBoxParams& params) {
    if (params.memoryPrefix.isEmpty()) return;
    OpenMemory(params)->remove(RememberedValueName(params));
}
