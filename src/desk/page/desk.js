// The desk's page: it shows the simulated session as the program's events
// describe it and sends what the user does back as actions.
"use strict";

const $ = (id) => document.getElementById(id);
let current = null;          // the latest state
let galleryGeneration = -1;  // the registry the gallery shows
let lastBeeps = null;
let openMenu = null;         // the button whose dropdown is open
let shownMenu = "";          // what the open dropdown was built from

async function act(path, body) {
  const response = await fetch(path, {
    method: "POST",
    headers: { "Content-Type": "application/json" },
    body: JSON.stringify(body),
  });
  if (!response.ok && response.status !== 202) {
    const answer = await response.json().catch(() => ({}));
    console.warn(path, response.status, answer.message);
  }
}

// ---- Cursors: every zone wears what the window server holds for it now ----

function cursorURL(name, representation, generation) {
  return `/cursor?name=${encodeURIComponent(name)}&rep=${representation}&g=${generation}`;
}

function cursorValue(cursor, generation, fallback) {
  const one = cursorURL(cursor.name, 0, generation);
  const hot = `${cursor.hotX} ${cursor.hotY}`;
  if (cursor.representations < 2) {
    return [`url("${one}") ${hot}, ${fallback}`];
  }
  const two = cursorURL(cursor.name, 1, generation);
  // Browsers that cannot read an image set keep the first value.
  return [
    `url("${one}") ${hot}, ${fallback}`,
    `image-set(url("${one}") 1x, url("${two}") 2x) ${hot}, ${fallback}`,
    `-webkit-image-set(url("${one}") 1x, url("${two}") 2x) ${hot}, ${fallback}`,
  ];
}

const fallbacks = {
  arrow: "default", iBeam: "text", pointingHand: "pointer", resizeLeftRight: "ew-resize",
  resizeUpDown: "ns-resize", resizeNorthWestSouthEast: "nwse-resize",
  resizeNorthEastSouthWest: "nesw-resize", wait: "wait", crosshair: "crosshair",
};

function renderCursors(state) {
  const elements = [...document.querySelectorAll("[data-zone]"), document.body];
  for (const element of elements) {
    const zone = element === document.body ? "arrow" : element.dataset.zone;
    const cursor = state.zones[zone];
    if (!cursor) continue;
    const values = cursorValue(cursor, state.generation, fallbacks[zone] || "auto");
    for (const value of values) element.style.cursor = value;
    element.dataset.cursor = `${cursor.name}@${state.generation}`;
  }
}

// ---- Menus ----

function closeMenus() {
  for (const id of ["input-dropdown", "status-dropdown"]) $(id).hidden = true;
  for (const id of ["input-button", "status-button"]) $(id).classList.remove("open");
  openMenu = null;
}

function toggleMenu(button, dropdown, fill) {
  const opening = openMenu !== button;
  closeMenus();
  if (!opening) return;
  shownMenu = "";
  fill(dropdown);
  dropdown.hidden = false;
  button.classList.add("open");
  openMenu = button;
}

function menuEntries(items, path) {
  const list = document.createElement("div");
  items.forEach((item, index) => {
    if (item.separator) {
      list.appendChild(Object.assign(document.createElement("div"), { className: "menu-separator" }));
      return;
    }
    const wrapper = Object.assign(document.createElement("div"), { className: "menu-item" });
    const entry = Object.assign(document.createElement("button"), { className: "menu-entry" });
    entry.setAttribute("role", "menuitem");
    entry.disabled = !item.enabled;
    entry.append(
      Object.assign(document.createElement("span"), { className: "menu-check", textContent: item.checked ? "✓" : "" }),
      Object.assign(document.createElement("span"), { className: "menu-title", textContent: item.title }),
    );
    if (item.key) {
      entry.append(Object.assign(document.createElement("span"), { className: "menu-key", textContent: `⌘${item.key.toUpperCase()}` }));
    }
    const here = [...path, index];
    if (item.submenu) {
      entry.append(Object.assign(document.createElement("span"), { className: "menu-arrow", textContent: "▸" }));
      const submenu = menuEntries(item.submenu, here);
      submenu.className = "submenu";
      submenu.setAttribute("role", "menu");
      wrapper.append(entry, submenu);
    } else {
      entry.addEventListener("click", () => {
        closeMenus();
        act("/api/menu", { path: here });
      });
      wrapper.append(entry);
    }
    list.appendChild(wrapper);
  });
  return list;
}

// A dropdown is rebuilt only when what it shows changed: rebuilding it under
// the pointer would close the submenu the user is in.
function fillWhenChanged(dropdown, source, build) {
  const text = JSON.stringify(source);
  if (text === shownMenu) return;
  shownMenu = text;
  dropdown.replaceChildren(build());
}

function fillStatusMenu(dropdown) {
  const items = current?.menu?.items || [];
  fillWhenChanged(dropdown, items, () => menuEntries(items, []));
}

function fillInputMenu(dropdown) {
  fillWhenChanged(dropdown, [current?.inputSources, current?.notifications], () => inputEntries());
}

function inputEntries() {
  const items = (current?.inputSources || []).map((source) => ({
    title: `${source.name}`, badge: source.badge, checked: source.selected, id: source.id,
  }));
  const list = document.createElement("div");
  for (const item of items) {
    const entry = Object.assign(document.createElement("button"), { className: "menu-entry" });
    entry.setAttribute("role", "menuitem");
    entry.append(
      Object.assign(document.createElement("span"), { className: "menu-check", textContent: item.checked ? "✓" : "" }),
      Object.assign(document.createElement("span"), { className: "menu-title", textContent: item.title }),
      Object.assign(document.createElement("span"), { className: "menu-key", textContent: item.badge }),
    );
    entry.addEventListener("click", () => {
      closeMenus();
      act("/api/input-source", { id: item.id });
    });
    list.appendChild(entry);
  }
  list.appendChild(Object.assign(document.createElement("div"), { className: "menu-separator" }));
  const toggle = Object.assign(document.createElement("label"), { className: "menu-switch" });
  const box = Object.assign(document.createElement("input"), { type: "checkbox", id: "notify-switch" });
  box.checked = current?.notifications !== false;
  box.addEventListener("change", () => act("/api/notifications", { enabled: box.checked }));
  toggle.append(box, "Announce switches (without it only the poll notices)");
  list.appendChild(toggle);
  return list;
}

// ---- Alerts ----

// Every open alert has a card of its own, answered by its id; a card stays
// as it is while its alert is open, so that what the user typed stays too.
function renderAlerts(alerts) {
  const stack = $("alerts");
  const open = new Set(alerts.map((alert) => String(alert.id)));
  for (const card of [...stack.children]) {
    if (!open.has(card.dataset.alertId)) card.remove();
  }
  for (const alert of alerts) {
    if (stack.querySelector(`[data-alert-id="${alert.id}"]`)) continue;
    const card = alertCard(alert);
    stack.appendChild(card);
    const field = card.querySelector(".alert-field");
    if (alert.field) {
      field.focus();
      field.select();
    } else {
      card.querySelector(".alert-buttons button")?.focus();
    }
  }
  $("alert-layer").hidden = alerts.length === 0;
}

function alertCard(alert) {
  const card = $("alert-template").content.firstElementChild.cloneNode(true);
  card.dataset.alertId = alert.id;
  const message = card.querySelector(".alert-message");
  message.id = `alert-message-${alert.id}`;
  message.textContent = alert.message;
  card.setAttribute("aria-labelledby", message.id);
  card.querySelector(".alert-informative").textContent = alert.informative;
  const field = card.querySelector(".alert-field");
  field.hidden = !alert.field;
  if (alert.field) {
    field.value = alert.field.value;
    field.placeholder = alert.field.placeholder;
  }
  const answer = (button) => act("/api/alert", { id: alert.id, button, text: field.value });
  const buttons = alert.buttons.map((title, index) => {
    const button = Object.assign(document.createElement("button"), { textContent: title });
    if (index === 0) button.classList.add("default");
    button.addEventListener("click", () => answer(index));
    return button;
  });
  card.querySelector(".alert-buttons").replaceChildren(...buttons);
  field.onkeydown = (event) => {
    if (event.key === "Enter") answer(0);
    if (event.key === "Escape") answer(-1);
  };
  return card;
}

// ---- Panels ----

function renderScreen(displayed, generation) {
  $("screen-image").src = `/displayed?seed=${displayed.seed}&scale=${displayed.scale}&g=${generation}`;
  $("screen-name").textContent = displayed.name + (displayed.byOtherApplication ? " (another application)" : "");
  $("screen-seed").textContent = displayed.seed;
  $("screen-scale").textContent = Number(displayed.scale).toFixed(2);
}

function renderGallery(state) {
  $("gallery-count").textContent = `(${state.gallery.length})`;
  if (state.generation === galleryGeneration) return;
  galleryGeneration = state.generation;
  const tiles = state.gallery.map((cursor) => {
    const tile = Object.assign(document.createElement("div"), {
      className: cursor.system ? "tile" : "tile registered",
      title: `${cursor.name}\n${cursor.width}×${cursor.height} pt, ${cursor.images} images, ${cursor.frames} frames`,
    });
    const image = Object.assign(document.createElement("img"), {
      src: cursorURL(cursor.name, 0, state.generation), alt: cursor.name, loading: "lazy",
    });
    tile.append(image, Object.assign(document.createElement("span"), { textContent: cursor.name.replace(/^com\.apple\.(coregraphics\.)?/, "") }));
    return tile;
  });
  $("gallery").replaceChildren(...tiles);
}

function renderColours(values) {
  const entries = Object.entries(values);
  $("colour-values").textContent = entries.length
    ? entries.map(([key, value]) => `${key} = ${value}`).join(", ")
    : "standard pointer (nothing stored)";
  $("colours-custom").checked = values.cursorIsCustomized === true;
}

function sendColours() {
  const custom = $("colours-custom").checked;
  act("/api/pointer-colours", custom
    ? { fill: $("colour-fill").value, outline: $("colour-outline").value }
    : {});
}

function renderBeeps(beeps) {
  const beep = $("beep");
  beep.dataset.count = beeps;
  if (lastBeeps !== null && beeps > lastBeeps) {
    beep.textContent = "Beep";
    beep.classList.add("ringing");
    setTimeout(() => beep.classList.remove("ringing"), 900);
  }
  lastBeeps = beeps;
}

function renderLog(lines) {
  const log = $("log");
  const atBottom = log.scrollTop + log.clientHeight >= log.scrollHeight - 4;
  log.textContent = lines.join("\n");
  if (atBottom) log.scrollTop = log.scrollHeight;
}

function render(state) {
  current = state;
  if (state.ended) {
    // The server is gone: keep the last pictures instead of asking for new ones.
    showEnded();
    return;
  }
  $("status-button").textContent = state.menu?.title || "TV";
  const selected = (state.inputSources || []).find((source) => source.selected);
  $("input-button").textContent = selected ? selected.badge : "–";
  renderCursors(state);
  renderScreen(state.displayed, state.generation);
  renderGallery(state);
  renderColours(state.accessibility || {});
  renderBeeps(state.beeps);
  $("caps-lock-key").setAttribute("aria-pressed", state.capsLock ? "true" : "false");
  renderLog(state.log || []);
  renderAlerts(state.alerts || []);
  if (openMenu === $("status-button")) fillStatusMenu($("status-dropdown"));
  if (openMenu === $("input-button")) fillInputMenu($("input-dropdown"));
}

// Without a title: the program ended in order, as the page says by default.
function showEnded(title, text) {
  closeMenus();
  $("alert-layer").hidden = true;
  if (title) {
    $("ended-title").textContent = title;
    $("ended-text").textContent = text;
  }
  $("ended-layer").hidden = false;
}

// ---- Start ----

function startClock() {
  const tick = () => {
    $("clock").textContent = new Date().toLocaleTimeString([], { hour: "2-digit", minute: "2-digit" });
  };
  tick();
  setInterval(tick, 10000);
}

function connect() {
  const events = new EventSource("/events");
  events.onmessage = (message) => render(JSON.parse(message.data));
  events.onerror = () => {
    events.close();
    if (current?.ended === true) {
      showEnded();
    } else {
      showEnded("The connection to Tolvane was lost", "Start it again and open the address it prints.");
    }
  };
  // The desk follows only its newest few pages.
  events.addEventListener("replaced", () => {
    events.close();
    showEnded("This desk is open in newer pages", "Only the newest few pages follow Tolvane; reload this one to follow it again.");
  });
}

document.addEventListener("DOMContentLoaded", () => {
  $("status-button").addEventListener("click", () => toggleMenu($("status-button"), $("status-dropdown"), fillStatusMenu));
  $("input-button").addEventListener("click", () => toggleMenu($("input-button"), $("input-dropdown"), fillInputMenu));
  document.addEventListener("click", (event) => {
    if (openMenu && !event.target.closest(".extra")) closeMenus();
  });
  document.addEventListener("keydown", (event) => {
    if (event.key === "Escape") closeMenus();
  });
  const modifiers = new Set(["Shift", "Control", "Alt", "Meta", "Fn"]);
  // Caps Lock, typed or clicked, locks and unlocks as a keyboard's does.
  $("typing-pad").addEventListener("keydown", (event) => {
    const type = event.key === "CapsLock" ? "capsLock" : modifiers.has(event.key) ? "flagsChanged" : "keyDown";
    act("/api/key", { type });
  });
  $("caps-lock-key").addEventListener("click", () => act("/api/key", { type: "capsLock" }));
  for (const id of ["colours-custom", "colour-fill", "colour-outline"]) {
    $(id).addEventListener("change", sendColours);
  }
  $("link").addEventListener("click", (event) => event.preventDefault());
  startClock();
  connect();
});
