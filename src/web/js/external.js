// window.external with the four methods. Calls are queued and handed, in order and batched per
// task, to the program's script world of the same document, which relays them.
(function () {
  'use strict';
  var dispatch = EventTarget.prototype.dispatchEvent;
  var Custom = CustomEvent;
  var stringify = JSON.stringify;
  // A local file's document never reaches the program, whatever loaded it.
  if (location.protocol === 'file:') return;
  var later = window.queueMicrotask.bind(window);
  var queue = [];
  var scheduled = false;
  // A frame the program does not trust sees the methods as an unknown one.
  var refused = false;
  window.addEventListener('__launcher_refused', function () { refused = true; }, true);

  function pack(v) {
    switch (typeof v) {
      case 'string': return {t: 's', v: v};
      case 'number': return {t: 'n', v: isFinite(v) ? v : null};
      case 'boolean': return {t: 'b', v: v};
      case 'undefined': return {t: 'u'};
      default: return v === null ? {t: 'z'} : {t: 'o'};
    }
  }
  function flush() {
    scheduled = false;
    var batch = queue;
    queue = [];
    dispatch.call(window, new Custom('__launcher_calls', {detail: stringify(batch)}));
  }

  var ext = Object.create(null);
  ['JsCallClient', 'getGsName', 'getNewMsg', 'Is360Game'].forEach(function (name) {
    ext[name] = function () {
      if (refused) throw new TypeError("Object doesn't support property or method '" + name + "'");
      var args = [];
      for (var i = 0; i < arguments.length; ++i) args.push(pack(arguments[i]));
      queue.push({n: name, a: args});
      if (!scheduled) {
        scheduled = true;
        later(flush);
      }
    };
  });
  Object.freeze(ext);
  try {
    Object.defineProperty(window, 'external',
                          {value: ext, writable: false, enumerable: true, configurable: false});
  } catch (e) {}
})();
