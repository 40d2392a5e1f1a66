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
    connect(this, &QSplitter::splitterMoved, this, [this] {
        if (HiddenColumn() == -1 && HiddenRow() == -1) m_wantedFirst = sizes().value(0);
    });
}

void ST_SplitterWnd::SetPanes(QWidget* first, QWidget* second) {
    if (first) addWidget(first);
    if (second) addWidget(second);
    setStretchFactor(0, 0);
    setStretchFactor(1, 1);
    if (m_vertical && first && second) {
        first->setMinimumWidth(kFirstPaneMinimum);
        second->setMinimumWidth(kSecondPaneMinimum);
    }
}

void ST_SplitterWnd::ApplyWantedSizes() {
    const int hidden = m_vertical ? m_layout.hiddenColumn : m_layout.hiddenRow;
    if (count() != 2 || hidden != -1) return;
    const int extent = m_vertical ? width() : height();
    const int min0 = m_vertical ? widget(0)->minimumWidth() : widget(0)->minimumHeight();
    const int min1 = m_vertical ? widget(1)->minimumWidth() : widget(1)->minimumHeight();
    const PaneSizes panes = SplitPanes(extent, handleWidth(), m_wantedFirst, min0, min1);
    setSizes({panes.first, panes.second});
}

void ST_SplitterWnd::resizeEvent(QResizeEvent* event) {
    QSplitter::resizeEvent(event);
    ApplyWantedSizes();
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
    const int hidden = m_vertical ? m_layout.hiddenColumn : m_layout.hiddenRow;
    if (hidden != -1 || index < 0 || index >= count()) return;
    CaptureSizes();
    HideWithoutCapture(index);
}

void ST_SplitterWnd::HideWithoutCapture(int index) {
    int& hidden = m_vertical ? m_layout.hiddenColumn : m_layout.hiddenRow;
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
    ApplyWantedSizes();
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
    saved = CheckedLayout(saved, kFirstPaneSize, kFirstPaneMinimum, kFirstPaneMaximum);
    m_wantedFirst = saved.size0;
    m_layout.size0 = saved.size0;
    m_layout.size1 = saved.size1;
    ApplyWantedSizes();
    const int hiddenPane = m_vertical ? saved.hiddenColumn : saved.hiddenRow;
    if (hiddenPane != -1 && (m_vertical ? HiddenColumn() : HiddenRow()) == -1) {
        HideWithoutCapture(hiddenPane);
    }
    return true;
}

}  // namespace shell
