#include "support/private_temp_dir.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include "platform/folders.h"

PrivateTempDir::PrivateTempDir()
    : m_hadTmpdir(qEnvironmentVariableIsSet("TMPDIR")), m_oldTmpdir(qgetenv("TMPDIR")) {
    if (m_dir.isValid()) qputenv("TMPDIR", QFile::encodeName(m_dir.path()));
}

PrivateTempDir::~PrivateTempDir() {
    if (m_hadTmpdir)
        qputenv("TMPDIR", m_oldTmpdir);
    else
        qunsetenv("TMPDIR");
    // Tests take write permission away here and there; give it back so the
    // folder can go.
    QDirIterator it(m_dir.path(),
                    QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!QFileInfo(path).isSymLink())
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

QString PrivateTempDir::RootName() const {
    return QStringLiteral("ImpTmp-") + QString::number(platform::CurrentUserId());
}
