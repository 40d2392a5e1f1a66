#include "shell/st_splitterwnd.h"

#include <QApplication>
#include <QResizeEvent>
#include <QSettings>

namespace shell {

namespace {
const QString kSectionName = QStringLiteral("SplitterWnd");
}

ST_SplitterWnd::ST_SplitterWnd(int level, bool vertical, QWidget* parent)
    : QSplitter(vertical ? Qt::Horizontal : Qt::Vertical, parent),
      m_level(level),
      m_vertical(vertical) {
    setChildrenCollapsible(false);
    setObjectName(QStringLiteral("ST_SplitterWnd"));
}

void ST_SplitterWnd::SetPanes(QWidget* first, QWidget* second) {
    if (first) addWidget(first);
    if (second) addWidget(second);
    setStretchFactor(0, 0);
    setStretchFactor(1, 1);
}

void ST_SplitterWnd::resizeEvent(QResizeEvent* event) {
    QSplitter::resizeEvent(event);
    const int extent = m_vertical ? event->size().width() : event->size().height();
    if (!m_sized && count() == 2 && extent > kFirstPaneSize) {
        m_sized = true;
        setSizes({kFirstPaneSize, extent - kFirstPaneSize - handleWidth()});
    }
}

void ST_SplitterWnd::TogglePane(int index) {
    int& hidden = m_vertical ? m_layout.hiddenColumn : m_layout.hiddenRow;
    if (hidden == -1) {
        HidePane(index);
    } else if (hidden == index) {
        ShowHiddenPane();
    }
}

void ST_SplitterWnd::HidePaneColumn(int column) {
    if (m_vertical) HidePane(column);
}

void ST_SplitterWnd::ShowPaneColumn() {
    if (m_vertical) ShowHiddenPane();
}

void ST_SplitterWnd::HidePane(int index) {
    int& hidden = m_vertical ? m_layout.hiddenColumn : m_layout.hiddenRow;
    if (hidden != -1 || index < 0 || index >= count()) return;
    CaptureSizes();
    hidden = index;
    QWidget* pane = widget(index);
    // Keyboard focus moves to the pane that stays.
    QWidget* focused = QApplication::focusWidget();
    if (focused && (pane == focused || pane->isAncestorOf(focused))) {
        if (QWidget* other = widget((index + 1) % count())) other->setFocus();
    }
    pane->hide();
}

void ST_SplitterWnd::ShowHiddenPane() {
    int& hidden = m_vertical ? m_layout.hiddenColumn : m_layout.hiddenRow;
    if (hidden == -1) return;
    QWidget* pane = widget(hidden);
    hidden = -1;
    if (pane) pane->show();
    const int extent = m_vertical ? width() : height();
    const int first = m_layout.size0;
    setSizes({first, qMax(extent - first - handleWidth(), m_minimum1)});
}

void ST_SplitterWnd::CaptureSizes() {
    const int hidden = m_vertical ? m_layout.hiddenColumn : m_layout.hiddenRow;
    if (hidden != -1 || count() < 2) return;
    const QList<int> current = sizes();
    m_layout.size0 = current.value(0, m_layout.size0);
    m_layout.size1 = current.value(1, m_layout.size1);
    const QWidget* first = widget(0);
    const QWidget* second = widget(1);
    m_minimum0 = m_vertical ? first->minimumWidth() : first->minimumHeight();
    m_minimum1 = m_vertical ? second->minimumWidth() : second->minimumHeight();
}

SplitterLayout ST_SplitterWnd::CurrentLayout() {
    CaptureSizes();
    return m_layout;
}

void ST_SplitterWnd::SaveLayout(QSettings& settings) {
    const SplitterLayout layout = CurrentLayout();
    settings.beginGroup(kSectionName);
    settings.setValue(QString::fromStdString(SplitterEntryName(m_level)),
                      QString::fromStdString(layout.Format()));
    settings.endGroup();
    settings.sync();
}

bool ST_SplitterWnd::RestoreLayout(QSettings& settings) {
    settings.beginGroup(kSectionName);
    const QString text = settings
                             .value(QString::fromStdString(SplitterEntryName(m_level)),
                                    QStringLiteral("-1 150 -1 150"))
                             .toString();
    settings.endGroup();
    SplitterLayout saved;
    if (!saved.Parse(text.toStdString()) || count() < 2) return false;
    m_sized = true;
    setSizes({qMax(saved.size0, m_minimum0), qMax(saved.size1, m_minimum1)});
    const int hiddenPane = m_vertical ? saved.hiddenColumn : saved.hiddenRow;
    if (hiddenPane == 0 || hiddenPane == 1) HidePane(hiddenPane);
    return true;
}

}  // namespace shell
