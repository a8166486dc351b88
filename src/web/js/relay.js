// The program's own script world of every frame (page scripts cannot reach it). The top frame
// holds the channel to the program; a sub-frame reports its completion and relays its
// window.external calls to the top frame by a postMessage tagged with this page's secret and its
// own address, and runs the functions the program calls in it. The top frame passes on what
// carries the secret and comes from the origin of the address it names; the program decides
// which frames it trusts. The program wraps this body in a function that defines SECRET (this
// page's secret), after the channel client (qwebchannel.js, which defines QWebChannel).
/* global SECRET, QWebChannel */
var TAG = '__launcherRelay';
var BATCH = 5000;
var isTop = window === window.top;
// The address this document was created at, taken before any of the page's scripts ran: a
// document may change its own location afterwards (a fragment, history.replaceState).
var createdAt = location.href;
var frameId = (function () {
  var parts = new Uint32Array(4);
  crypto.getRandomValues(parts);
  return Array.prototype.join.call(parts, '-');
})();
function here() { return createdAt; }
function message(body) {
  body.s = SECRET;
  var m = {};
  m[TAG] = body;
  return m;
}
function toTop(body) {
  try { window.top.postMessage(message(body), '*'); } catch (e) {}
}
function tagged(e) {
  var d = e.data;
  if (d === null || typeof d !== 'object' || !Object.prototype.hasOwnProperty.call(d, TAG)) return null;
  e.stopImmediatePropagation();
  var m = d[TAG];
  return m !== null && typeof m === 'object' && m.s === SECRET ? m : null;
}

if (!isTop) {
  window.addEventListener('__launcher_calls', function (e) {
    var calls;
    try { calls = JSON.parse(e.detail); } catch (x) { return; }
    if (Array.isArray(calls)) toTop({k: 'calls', href: here(), c: calls});
  }, true);
  // The engine grants the mouse to the page as a whole: a frame the program does not trust
  // gives it back at once.
  var refusedHere = false;
  document.addEventListener('pointerlockchange', function () {
    if (refusedHere && document.pointerLockElement) document.exitPointerLock();
  }, true);
  toTop({k: 'hello', href: here(), id: frameId});
  window.addEventListener('load', function () {
    toTop({k: 'complete', href: here(), id: frameId});
  });
  window.addEventListener('pagehide', function () {
    toTop({k: 'gone', href: here(), id: frameId});
  });
  window.addEventListener('message', function (e) {
    var d = e.data;
    if (d === null || typeof d !== 'object' || !Object.prototype.hasOwnProperty.call(d, TAG)) return;
    e.stopImmediatePropagation();
    var m = d[TAG];
    if (m === null || typeof m !== 'object' || m.to !== frameId || e.source !== window.top) return;
    if (m.k === 'refused') {
      refusedHere = true;
      if (document.pointerLockElement) document.exitPointerLock();
      window.dispatchEvent(new CustomEvent('__launcher_refused'));
      return;
    }
    if (m.k !== 'call' || m.s !== SECRET) return;
    var answer = null;
    var listener = function (r) {
      var result;
      try { result = JSON.parse(r.detail); } catch (x) { return; }
      if (result && result.id === m.call) answer = result.r;
    };
    window.addEventListener('__launcher_result', listener, true);
    window.dispatchEvent(new CustomEvent('__launcher_call',
                                         {detail: JSON.stringify({id: m.call, f: m.f, a: m.a})}));
    window.removeEventListener('__launcher_result', listener, true);
    toTop({k: 'result', href: here(), call: m.call, r: answer || {}});
  }, true);
  return;
}

var remote = null;
var waiting = [];
var frames = Object.create(null);
function send(job) {
  if (remote) job(remote); else waiting.push(job);
}
function relay(calls, href, fromTop) {
  for (var i = 0; i < calls.length; i += BATCH) {
    (function (batch) {
      send(function (r) { r.deliver(batch, href, fromTop); });
    })(calls.slice(i, i + BATCH));
  }
}

window.addEventListener('__launcher_calls', function (e) {
  var calls;
  try { calls = JSON.parse(e.detail); } catch (x) { return; }
  if (Array.isArray(calls)) relay(calls, here(), true);
}, true);

window.addEventListener('message', function (e) {
  var m = tagged(e);
  if (!m || typeof m.href !== 'string') return;
  var origin;
  try { origin = new URL(m.href).origin; } catch (x) { return; }
  if (origin !== e.origin || origin === 'null') return;
  if (m.k === 'calls' && Array.isArray(m.c)) {
    relay(m.c, m.href, false);
  } else if (m.k === 'hello' && typeof m.id === 'string') {
    frames[m.id] = {w: e.source, o: origin};
    send(function (r) { r.frameCreated(m.id, m.href); });
  } else if (m.k === 'complete' && typeof m.id === 'string') {
    frames[m.id] = {w: e.source, o: origin};
    send(function (r) { r.frameComplete(m.id, m.href); });
  } else if (m.k === 'gone' && typeof m.id === 'string') {
    var known = frames[m.id];
    if (known && known.w === e.source) delete frames[m.id];
    send(function (r) { r.frameGone(m.id); });
  } else if (m.k === 'result' && typeof m.call === 'number') {
    var outcome = m.r !== null && typeof m.r === 'object' ? m.r : {};
    send(function (r) { r.scriptResult(m.call, outcome); });
  }
}, true);

// Not secret-tagged: the frame is not trusted with the secret. It takes this from the top only.
window.__launcherRefuseFrame = function (id) {
  var f = frames[id];
  if (!f) return;
  var m = {};
  m[TAG] = {k: 'refused', to: id};
  try { f.w.postMessage(m, f.o); } catch (e) {}
};

window.__launcherCallFrame = function (id, call, name, args) {
  var f = frames[id];
  if (!f) return false;
  try {
    f.w.postMessage(message({k: 'call', to: id, call: call, f: name, a: args}), f.o);
  } catch (e) {
    return false;
  }
  return true;
};

var attempts = 0;
(function connect() {
  if (typeof qt === 'object' && qt && qt.webChannelTransport) {
    new QWebChannel(qt.webChannelTransport, function (channel) {
      remote = channel.objects.launcherExternal;
      var jobs = waiting;
      waiting = [];
      jobs.forEach(function (job) { job(remote); });
    });
  } else if (++attempts < 1000) {
    setTimeout(connect, 10);
  }
})();
