// window.external for a host that offers none: an object without methods, so calls throw.
(function () {
  var ext = Object.freeze(Object.create(null));
  try {
    Object.defineProperty(window, 'external',
                          {value: ext, writable: false, enumerable: true, configurable: false});
  } catch (e) {}
})();
