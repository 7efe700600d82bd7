#include "htmlbox/drawer/vela_image_handles.h"

#include <QHash>
#include <QMutex>

namespace {

struct Registry {
    QMutex mutex;
    QHash<quint32, QImage> images;
    quint32 next = 0x1000;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

}  // namespace

quint32 CVelaImageHandles::Add(const QImage& image) {
    Registry& r = TheRegistry();
    QMutexLocker lock(&r.mutex);
    quint32 handle = r.next++;
    if (handle == 0) handle = r.next++;
    r.images.insert(handle, image);
    return handle;
}

void CVelaImageHandles::Remove(quint32 handle) {
    Registry& r = TheRegistry();
    QMutexLocker lock(&r.mutex);
    r.images.remove(handle);
}

QImage CVelaImageHandles::Find(quint32 handle) {
    Registry& r = TheRegistry();
    QMutexLocker lock(&r.mutex);
    return r.images.value(handle);
}
