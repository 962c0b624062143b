// Stands in for window.chrome.webview and the pointer lock, before any other
// script of the document runs: records what the page posts, delivers host
// messages, and lets the test choose the pointer-lock element.
(() => {
  const listeners = [];
  window.__posted = [];
  window.chrome = window.chrome || {};
  window.chrome.webview = {
    postMessage: (message) => window.__posted.push(message),
    addEventListener: (type, listener) => { if (type === 'message') listeners.push(listener); },
  };
  window.__deliver = (data) => listeners.forEach((listener) => listener({ data }));
  window.__lockElement = null;
  Object.defineProperty(Document.prototype, 'pointerLockElement', {
    configurable: true,
    get: () => window.__lockElement,
  });
})();
