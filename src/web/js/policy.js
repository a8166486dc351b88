// Dialog-like documents: no text selection outside editable fields, no context menu. A
// constructed style sheet needs no DOM yet, so it applies from document creation. The program's
// script world asks this world to run the document's functions through the call event.
(function () {
  try {
    var sheet = new CSSStyleSheet();
    sheet.replaceSync(':root{-webkit-user-select:none;user-select:none}' +
                      'input,textarea,[contenteditable]{-webkit-user-select:text;user-select:text}');
    document.adoptedStyleSheets = document.adoptedStyleSheets.concat([sheet]);
  } catch (e) {}
  window.addEventListener('contextmenu', function (e) { e.preventDefault(); }, true);

  var dispatch = EventTarget.prototype.dispatchEvent;
  var Custom = CustomEvent;
  var parse = JSON.parse;
  var stringify = JSON.stringify;
  window.addEventListener('__launcher_call', function (e) {
    var request;
    try { request = parse(e.detail); } catch (x) { return; }
    if (request === null || typeof request !== 'object') return;
    var outcome;
    var f = window[request.f];
    if (typeof f !== 'function') {
      outcome = {missing: true};
    } else {
      try {
        var r = f.apply(window, Array.isArray(request.a) ? request.a : []);
        outcome = {value: (r === null || typeof r === 'object' || typeof r === 'function' ||
                           r === undefined) ? null : r};
      } catch (x) {
        outcome = {threw: String(x)};
      }
    }
    dispatch.call(window, new Custom('__launcher_result',
                                     {detail: stringify({id: request.id, r: outcome})}));
  }, true);
})();
