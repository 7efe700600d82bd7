#include "recovery/salvage/salvage_report.h"

namespace {

QString SlidesKept(int count) {
    return count == 1 ? QString("1 slide kept") : QString("%1 slides kept").arg(count);
}

}  // namespace

QString CompletedLogLine(const QString& packagePath, const SalvageResult& salvage,
                         const CompletionResult& completion) {
    QStringList done;
    for (const QString& name : salvage.putRight) done << name + " put right (one flipped bit)";
    for (const QString& name : salvage.toStreamEnd)
        done << name + " inflated to the end of its stream";
    for (const QString& name : salvage.foundWithoutHeader)
        if (!salvage.salvaged.contains(name)) done << name + " found without its header";
    for (const QString& name : salvage.salvaged)
        done << name + (salvage.foundWithoutHeader.contains(name)
                            ? " found without its header and salvaged"
                            : " salvaged");
    const bool slidesKnown = salvage.slides == SalvageResult::Slides::Whole ||
                             salvage.slides == SalvageResult::Slides::Salvaged;
    if (salvage.Changed() && slidesKnown) {
        QString kept = SlidesKept(salvage.slidesKept);
        if (salvage.slidesFromLaterRuns > 0)
            kept += QString(" (%1 found past the damage)").arg(salvage.slidesFromLaterRuns);
        done << kept;
    }
    for (const QString& name : salvage.leftOut) done << name + " left out (not well-formed)";
    done << CompletionDone(completion);
    if (done.isEmpty()) return {};
    return packagePath + " file is completed: " + done.join(", ") + "....\r\n";
}

QString SlidesLostLogLine(const QString& packagePath) {
    return packagePath + " slides could not be recovered: a one-slide document stands in....\r\n";
}

QString SlidesSummary(const SalvageResult& salvage) {
    switch (salvage.slides) {
        case SalvageResult::Slides::Whole:
            return QString("slides kept: %1").arg(salvage.slidesKept);
        case SalvageResult::Slides::Salvaged:
            return QString("slides kept: %1 (content.xml was damaged; later slides may be lost)")
                .arg(salvage.slidesKept);
        case SalvageResult::Slides::Lost:
            return "slides lost";
        case SalvageResult::Slides::NotChecked:
            break;
    }
    return "slides not checked";
}
