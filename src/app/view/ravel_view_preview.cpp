// The preview box: its state, and the picture shown for a file-list row.

#include "app/controls/file_list_model.h"
#include "app/controls/picture_box.h"
#include "app/controls/preview_choice.h"
#include "app/view/gui_thread_call.h"
#include "app/view/ravel_view.h"
#include "platform/folders.h"

void CRavelView::ShowPreviewState(const QString& picturePath, int state) {
    OnGuiThread(this, [&] {
        m_wndPictureBox->SetPicture(picturePath, state);
        m_wndPictureBox->update();
    });
}

int CRavelView::OnShowPreview(int row) {
    if (row < 0) return 1;
    const QString root = GetWorkingRoot();
    if (!platform::FolderExists(root)) {
        ShowPreviewState(QString(), PB_NOT_REPAIRED);
        return 0;
    }
    // The row's working folder holds what the Repair job recovered from it;
    // the thumbnail is preferred, then the pictures in the order met in the
    // folder. A recovered picture is often cut short: one that does not decode
    // makes way for the next.
    bool shown = false;
    ForEachPreviewCandidate(WorkingFolderOf(m_pFileModel->Path(row), row),
                            [this, &shown](const QString& picture) {
                                ShowPreviewState(picture, PB_PICTURE);
                                shown = m_wndPictureBox->HasPicture();
                                return shown;
                            });
    if (!shown) {
        ShowPreviewState(QString(), PB_NO_IMAGE);
        return 0;
    }
    return 1;
}
