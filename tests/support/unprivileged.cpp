#include "support/unprivileged.h"

#include <ftw.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <cstdio>

#include "gtest/gtest.h"

namespace {

uid_t g_uid = 65534;
gid_t g_gid = 65534;

int GiveAway(const char* path, const struct stat*, int, struct FTW*) {
    return ::lchown(path, g_uid, g_gid) == 0 ? 0 : 1;
}

// Whether the user can reach `folder`: every folder above it must let others through.
bool ReachableByOthers(const QByteArray& folder) {
    for (int slash = folder.indexOf('/', 1); slash > 0; slash = folder.indexOf('/', slash + 1)) {
        struct stat st;
        if (::stat(folder.left(slash).constData(), &st) != 0 || !(st.st_mode & S_IXOTH)) {
            std::fprintf(stderr, "%s cannot be passed by others\n", folder.left(slash).constData());
            return false;
        }
    }
    return true;
}

// In the child: hands `folder` over and becomes the unprivileged user.
bool BecomeUnprivileged(const QByteArray& folder) {
    if (const struct passwd* nobody = ::getpwnam("nobody")) {
        g_uid = nobody->pw_uid;
        g_gid = nobody->pw_gid;
    }
    if (!ReachableByOthers(folder)) return false;
    if (::nftw(folder.constData(), GiveAway, 16, FTW_PHYS) != 0) {
        std::perror("handing the test folder over");
        return false;
    }
    if (::setgroups(0, nullptr) != 0 || ::setresgid(g_gid, g_gid, g_gid) != 0 ||
        ::setresuid(g_uid, g_uid, g_uid) != 0) {
        std::perror("dropping privileges");
        return false;
    }
    return ::geteuid() == g_uid && ::getegid() == g_gid;
}

}  // namespace

void RunWherePermissionsBind(const QString& folder, const std::function<void()>& body) {
    if (::geteuid() != 0) {
        body();
        return;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0) << "fork failed";
    if (child == 0) {
        // Only what the body adds counts; _exit skips the test program's own ending.
        const bool failedBefore = ::testing::Test::HasFailure();
        int status = 3;
        QByteArray path = QFile::encodeName(folder);
        while (path.size() > 1 && path.endsWith('/')) path.chop(1);
        if (BecomeUnprivileged(path)) {
            body();
            status = ::testing::Test::HasFailure() && !failedBefore ? 1 : 0;
        }
        std::fflush(stdout);
        std::fflush(stderr);
        ::_exit(status);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the unprivileged child ended by signal " << WTERMSIG(status);
    EXPECT_NE(WEXITSTATUS(status), 3) << "could not become an unprivileged user (see above)";
    EXPECT_EQ(WEXITSTATUS(status), 0)
        << "the checks made as an unprivileged user failed (see above)";
}
