// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pieces the reference windows are made of: a picture panel, a text
// list, and a page control whose tabs wrap into several rows.

#include <QImage>
#include <QWidget>

#include <vector>

class QButtonGroup;
class QListWidget;
class QStackedWidget;

namespace sg {

// A panel of fixed size that shows one picture at its natural size from
// the top left, cut at the panel's right and bottom edges, never
// stretched. A picture that did not decode leaves the panel empty.
class PicturePanel : public QWidget {
public:
    PicturePanel(QWidget* parent, const QImage& picture, int width, int height);
    const QImage& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};

// A scrollable list whose items are the lines of a text.
QListWidget* makeTextList(QWidget* parent, const QStringList& lines);

// Tabs over a stack of pages; the tabs run in as many rows as they need.
class PageControl : public QWidget {
public:
    explicit PageControl(QWidget* parent);
    // Adds a page with its tab; the first page added is shown first.
    void addPage(const QString& caption, QWidget* page);
    int count() const { return static_cast<int>(captions_.size()); }
    QString caption(int index) const { return captions_.at(static_cast<std::size_t>(index)); }
    int currentIndex() const;
    void setCurrentIndex(int index);
    QWidget* page(int index) const;
    int tabRows() const { return rows_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutTabs();

    std::vector<QString> captions_;
    QButtonGroup* tabs_;
    QStackedWidget* pages_;
    int rows_ = 1;
};

}  // namespace sg
