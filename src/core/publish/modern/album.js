// The photo view of the album page: a dialog over the grid. The URL fragment names the
// photo shown (a link opens it, Back closes it); previous and next by the arrow keys, a
// swipe or the buttons; a slide show that space starts and stops. Everything it shows
// comes from the attributes of the grid's links, so it needs no request of its own.
(() => {
  'use strict';
  const tiles = [...document.querySelectorAll('.grid a')];
  const view = document.getElementById('viewer');
  if (!view || !tiles.length || !view.showModal) return;
  const part = (id) => document.getElementById(id);
  const img = part('v-img'), desc = part('v-desc'), pos = part('v-pos'), full = part('v-full');
  const play = part('v-play'), facts = part('v-facts');
  const interval = Number(view.dataset.interval) || 4000;
  let current = 0, playing = false, timer = 0, fromGrid = false, playOnOpen = false;

  // Fragments compare with the escapes of plain ASCII undone and the others in capitals,
  // so a hand-typed "#IMG_0001.jpg" or "#it's.jpg" finds its photo too.
  const plain = (text) => text.replace(/%([0-9a-f]{2})/gi, (escape, hex) => {
    const c = String.fromCharCode(parseInt(hex, 16));
    return /[\w.~!$&'()*+,;=:@-]/.test(c) ? c : escape.toUpperCase();
  });
  const keys = tiles.map((tile) => plain(tile.getAttribute('href').slice(1)));
  const shownIndex = () => (location.hash ? keys.indexOf(plain(location.hash.slice(1))) : -1);
  const urlWithout = () => location.href.split('#')[0];

  function preload(i) {
    const data = tiles[i].dataset, next = new Image();
    if (data.x) next.srcset = data.x;
    next.src = data.src;
  }

  function show(i) {
    current = (i + tiles.length) % tiles.length;
    const tile = tiles[current], data = tile.dataset, thumb = tile.querySelector('img');
    img.removeAttribute('src');
    img.width = Number(data.w);
    img.height = Number(data.h);
    if (data.x) img.srcset = data.x;
    else img.removeAttribute('srcset');
    img.src = data.src;
    img.alt = thumb.alt;
    if (data.d !== undefined) desc.innerHTML = data.d;
    else desc.textContent = thumb.alt;
    let anyFact = false;
    for (const fact of facts.children) {
      const value = data[fact.dataset.fact];
      fact.hidden = !value;
      if (value) fact.lastElementChild.textContent = value;
      anyFact = anyFact || !!value;
    }
    facts.hidden = !anyFact;
    full.hidden = !data.full;
    if (data.full) full.href = data.full;
    pos.textContent = (current + 1) + ' / ' + tiles.length;
    preload((current + 1) % tiles.length);
    if (playing) schedule();
  }

  function go(step) {
    show(current + step);
    history.replaceState(history.state, '', '#' + tiles[current].getAttribute('href').slice(1));
  }

  function schedule() {
    clearTimeout(timer);
    timer = setTimeout(() => go(1), interval);
  }

  function setPlaying(on) {
    playing = on;
    if (on) schedule();
    else clearTimeout(timer);
    play.setAttribute('aria-pressed', String(on));
    play.textContent = on ? play.dataset.pause : play.dataset.play;
  }

  // The fragment decides: a photo's name opens the view on it, anything else closes it.
  function follow(byNavigation) {
    const i = shownIndex();
    if (i < 0) {
      if (view.open) view.close();
      return;
    }
    if (!view.open) {
      fromGrid = byNavigation;
      view.showModal();
      view.focus();
    }
    show(i);
    if (playOnOpen) setPlaying(true);
    playOnOpen = false;
  }

  view.addEventListener('close', () => {
    setPlaying(false);
    // Back to the grid's own history entry, or drop the fragment the page was opened with
    // (unless the fragment has moved on to another photo meanwhile).
    if (shownIndex() === current) {
      if (fromGrid) history.back();
      else history.replaceState(history.state, '', urlWithout());
    }
    tiles[current].focus();
  });

  view.addEventListener('keydown', (event) => {
    if (event.altKey || event.ctrlKey || event.metaKey) return;
    if (event.key === 'ArrowRight') go(1);
    else if (event.key === 'ArrowLeft') go(-1);
    else if (event.key === ' ' && !event.target.closest('button, a')) setPlaying(!playing);
    else return;
    event.preventDefault();
  });

  let touch = null;
  view.addEventListener('touchstart', (event) => {
    const t = event.touches.length === 1 ? event.touches[0] : null;
    touch = t && { x: t.clientX, y: t.clientY };
  }, { passive: true });
  view.addEventListener('touchend', (event) => {
    const t = event.changedTouches[0];
    if (!touch || !t) return;
    const dx = t.clientX - touch.x, dy = t.clientY - touch.y;
    touch = null;
    if (Math.abs(dx) > 40 && Math.abs(dx) > 2 * Math.abs(dy)) go(dx < 0 ? 1 : -1);
  });

  part('v-prev').addEventListener('click', () => go(-1));
  part('v-next').addEventListener('click', () => go(1));
  part('v-close').addEventListener('click', () => view.close());
  play.addEventListener('click', () => setPlaying(!playing));
  part('show').addEventListener('click', () => {
    playOnOpen = true;
    if (shownIndex() === 0) follow(true);
    else location.hash = tiles[0].getAttribute('href').slice(1);
  });

  addEventListener('hashchange', () => follow(true));
  follow(false);
})();
