#pragma once
// Calls a function of a loaded page's script by name with comma-separated text arguments.
#include <QPointer>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <string>

class CWebPageDocument;

// What became of one script call once the page answered.
struct ScriptOutcome {
  bool ok = false;       // the function ran and returned
  bool missing = false;  // the page has no function of that name
  QVariant value;        // a primitive return value, else null
  QString error;         // the exception text when the function threw
};

class CWebPage {
 public:
  using Done = std::function<void(const ScriptOutcome&)>;

  CWebPage();
  virtual ~CWebPage();

  // Null keeps the old document and records "NULL pointer".
  bool AttachDocument(CWebPageDocument* document);
  // True when the call was issued to the attached document; the outcome arrives later through
  // `done` (may be empty). Arguments: 8-bit text split at commas, at most 8, all passed as strings.
  bool CallScript(const std::string& function, const char* arguments = nullptr, Done done = {});
  void SetError(const std::string& text);
  const std::string& GetLastError() const { return *lastError; }

 private:
  QPointer<CWebPageDocument> document;
  // Shared with calls in flight, which may answer after this object is gone.
  std::shared_ptr<std::string> lastError;
};
