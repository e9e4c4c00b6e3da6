#pragma once
// The program's own help: a small window showing our help pages by context number.

#include <QDialog>
#include <QString>

class QTextBrowser;

namespace kestralux {

class HelpViewer : public QDialog {
  Q_OBJECT

 public:
  explicit HelpViewer(QWidget* parent = nullptr);

  // Shows the page of a help context; an unknown context shows the first page.
  void showContext(int context);
  int currentContext() const { return context_; }
  QString pageTitle() const;
  QString pageText() const;

  static constexpr int kGettingStarted = 1;

 private:
  QTextBrowser* browser_;
  int context_ = 0;
};

// The page title and HTML body of a help context, or empty strings for an unknown one.
struct HelpPage {
  const char* title;
  const char* html;
};
HelpPage helpPageOf(int context);

}  // namespace kestralux
