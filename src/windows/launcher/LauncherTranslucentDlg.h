#pragma once
// The launcher frame: the operator's translucent artwork around the login page's inner dialog.
#include <QImage>
#include <string>

#include "core/config/FixedText.h"
#include "skin/TranslucentDialog.h"

class CLauncherConfig;
class CLauncherStandardDlg;

class CLauncherTranslucentDlg : public CTranslucentDialog {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 129;

  // `startParameter` (at most 255 characters kept) replaces the address of the login browsers;
  // `config` outlives the window.
  CLauncherTranslucentDlg(QImage artwork, const std::string& startParameter,
                          CLauncherConfig& config, QWidget* parent);
  ~CLauncherTranslucentDlg() override;

  const char* GetStartParameter() const { return startParameter.c_str(); }
  CLauncherStandardDlg* GetStandardDialog() const { return standardDialog; }
  // Before the window is created: the inner dialog loads no page (see CLauncherStandardDlg).
  void SetPreview(bool on) { preview = on; }

 protected:
  CStandardDialog* MakeInnerDialog() override;
  void CreateWidgets() override {}

  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool IsOurs(QObject* watched) const;

  FixedText<256> startParameter;
  CLauncherConfig& config;
  CLauncherStandardDlg* standardDialog = nullptr;  // owned by the base as its inner dialog
  bool preview = false;
  bool composing = false;  // an input method's composition is open in one of the pair's controls
};
