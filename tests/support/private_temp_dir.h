#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// Points TMPDIR at a fresh folder of its own for as long as it lives, so a
// test never reaches the real temporary folder or the real working root.
// The folder and TMPDIR are put back when it goes.
class PrivateTempDir {
public:
    PrivateTempDir();
    ~PrivateTempDir();
    PrivateTempDir(const PrivateTempDir&) = delete;
    PrivateTempDir& operator=(const PrivateTempDir&) = delete;

    bool IsValid() const { return m_dir.isValid(); }
    // The folder, without a trailing "/".
    QString Path() const { return m_dir.path(); }
    QString Path(const QString& relative) const { return m_dir.path() + '/' + relative; }
    // The name of the window's working root in it: "ImpTmp-" and the user id.
    QString RootName() const;
    QString WorkingRoot() const { return Path(RootName()); }

private:
    QTemporaryDir m_dir;
    bool m_hadTmpdir;
    QByteArray m_oldTmpdir;
};
