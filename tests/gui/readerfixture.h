// The reader window as the window tests drive it: a fixture corpus built
// once per test program (fixturecorpus.h), a fresh main frame for every test,
// and the messages recorded through the message-box seam instead of
// blocking on modal boxes.
#pragma once

#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "panel/leftform.h"
#include "shell/mainfrm.h"
#include "shell/messageboxes.h"
#include "shell/voraview.h"

namespace testing_gui {

struct Message {
    QString caption;
    QString text;
};

class ReaderFixture : public QObject {
  protected:
    // Builds the fixture corpus and records messages; for initTestCase.
    void SetUpCorpus();
    // A fresh frame on the fixture corpus with no messages; for init.
    void StartReader();
    // Closes the frame; for cleanup.
    void StopReader() { m_frame.reset(); }

    void MakeFrame(const QString& dataDir);
    // Types text into the keyword box and presses Enter.
    void Search(const QString& text);
    QString Summary() const;
    shell::CVoraView* View() const { return m_frame->GetRightPane(); }
    panel::CLeftForm* Form() const { return m_frame->LeftForm(); }
    bool Enabled(int id) const { return m_frame->Action(id)->isEnabled(); }
    bool WaitForUrlEnding(const QString& suffix);
    void SelectRow(int row);

    QTemporaryDir m_root;
    QString m_corpus;
    QString m_programDir;
    std::vector<Message> m_messages;
    shell::CMessageBoxes m_boxes;
    std::unique_ptr<shell::CMainFrame> m_frame;
};

}  // namespace testing_gui
