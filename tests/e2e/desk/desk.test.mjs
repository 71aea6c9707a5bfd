// The desk of the real program in Debian's Chromium: a user's way through the
// menus, the input menu, two alerts at once, the typing pad and its Caps Lock key. What the
// server answers on the wire is tested without a browser (tests/desk).
import { test } from "node:test";
import assert from "node:assert/strict";
import { spawn } from "node:child_process";
import { createHash } from "node:crypto";
import { mkdirSync, mkdtempSync, rmSync } from "node:fs";
import http from "node:http";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { chromium } from "playwright-core";

const executable = process.env.TOLVANE_EXECUTABLE;
const screenshots = process.env.TOLVANE_DESK_SCREENSHOTS ?? join(tmpdir(), "tolvane-desk-screenshots");
const chromiumPath = process.env.TOLVANE_CHROMIUM ?? "/usr/bin/chromium";
// Sanitizer builds start and decorate far more slowly than release builds.
const patience = 120_000;

// An update feed on the loopback address. While held, its answers wait until
// the test lets them go, and then name a newer version.
class Feed {
  constructor() {
    this.held = [];
    this.server = http.createServer((request, response) => {
      const answer = (version) => response.end(JSON.stringify({ version, notes: "Badges for Greek." }));
      if (this.holding) this.held.push(answer);
      else answer("0.0.1");
    });
    this.port = new Promise((resolve) => this.server.listen(0, "127.0.0.1", () => resolve(this.server.address().port)));
  }

  hold() {
    this.holding = true;
  }

  release() {
    this.holding = false;
    for (const answer of this.held.splice(0)) answer("99.0.0");
  }

  close() {
    this.server.close();
  }
}

// The program on a session of its own, in a fresh folder.
class Program {
  constructor(feedPort) {
    this.home = mkdtempSync(join(tmpdir(), "tolvane-desk-"));
    this.child = spawn(executable, ["--session=sim"], {
      env: {
        PATH: process.env.PATH,
        HOME: this.home,
        XDG_DATA_HOME: this.home,
        TOLVANE_LOG_FILE: join(this.home, "Tolvane.log"),
        TOLVANE_DESK_PORT: "0",
        TOLVANE_UPDATE_FEED: `http://127.0.0.1:${feedPort}/feed.json`,
      },
      stdio: ["ignore", "pipe", "inherit"],
    });
    this.exited = new Promise((resolve) => this.child.on("exit", (code, signal) => resolve({ code, signal })));
    this.address = new Promise((resolve, reject) => {
      let output = "";
      const timer = setTimeout(() => reject(new Error(`no desk address in: ${output}`)), patience);
      this.child.stdout.on("data", (chunk) => {
        output += chunk;
        const found = output.match(/Tolvane desk: (http:\/\/127\.0\.0\.1:(\d+)\/\?token=([0-9a-f]+))/);
        if (found) {
          clearTimeout(timer);
          resolve({ url: found[1], port: Number(found[2]), token: found[3] });
        }
      });
    });
  }

  async end() {
    if (this.child.exitCode === null) this.child.kill("SIGTERM");
    const ending = await this.exited;
    rmSync(this.home, { recursive: true, force: true });
    return ending;
  }
}

// Waits until the condition holds, asking again every 100 ms.
async function until(what, condition, limit = patience) {
  const deadline = Date.now() + limit;
  for (;;) {
    const value = await condition();
    if (value) return value;
    if (Date.now() > deadline) throw new Error(`timed out waiting for ${what}`);
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
}

const state = (page) => page.evaluate(() => fetch("/api/state").then((response) => response.json()));

// The bytes of the image the zone's cursor shows at 1x, as a digest.
async function zoneImage(page, zone) {
  const base64 = await page.evaluate(async (name) => {
    const element = document.querySelector(`[data-zone="${name}"]`);
    const url = element.style.cursor.match(/url\("([^"]+)"\)/)[1];
    const bytes = new Uint8Array(await (await fetch(url)).arrayBuffer());
    return btoa(String.fromCharCode(...bytes));
  }, zone);
  return createHash("sha256").update(base64).digest("hex");
}

// The entry whose title begins with the text ("5 seconds" is not "15 seconds").
function menuEntry(page, dropdown, title) {
  const escaped = title.replace(/[.*+?^${}()|[\]\\]/g, "\\$&");
  return page.locator(`${dropdown} .menu-entry`)
    .filter({ has: page.locator(".menu-title", { hasText: new RegExp(`^${escaped}`) }) })
    .first();
}

async function chooseMenu(page, ...titles) {
  await page.click("#status-button");
  for (const [index, title] of titles.entries()) {
    const entry = menuEntry(page, "#status-dropdown", title);
    if (index < titles.length - 1) {
      await entry.hover();
    } else {
      await entry.click();
    }
  }
}

async function shoot(page, name) {
  mkdirSync(screenshots, { recursive: true });
  await page.screenshot({ path: join(screenshots, `${name}.png`) });
}

function menuTitles(items) {
  return items.flatMap((item) => (item.title ? [item.title, ...menuTitles(item.submenu ?? [])] : []));
}

test("a user's way through the desk", { timeout: 15 * 60_000 }, async () => {
  const feed = new Feed();
  const program = new Program(await feed.port);
  const browser = await chromium.launch({
    executablePath: chromiumPath,
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
      "--disable-background-networking", "--disable-component-update", "--disable-sync"],
  });
  try {
    const { url } = await program.address;
    const page = await browser.newPage({ viewport: { width: 1400, height: 900 } });
    await page.goto(url);
    const title = page.locator("#status-button");
    await until("the launch title", async () => (await title.textContent()) === "TV [En]");
    await shoot(page, "01-launch");
    let arrow = await zoneImage(page, "arrow");

    // A layout switch through the input menu.
    await page.click("#input-button");
    await menuEntry(page, "#input-dropdown", "Russian").click();
    await until("the Russian title", async () => (await title.textContent()) === "TV [Ру]");
    await until("a new arrow", async () => (await zoneImage(page, "arrow")) !== arrow);
    arrow = await zoneImage(page, "arrow");
    await shoot(page, "02-russian");

    for (const [step, style] of [["03-color-dot", "Color dot"], ["04-high-contrast", "High contrast"]]) {
      await chooseMenu(page, "Cursor style", style);
      await until(`the ${style} arrow`, async () => (await zoneImage(page, "arrow")) !== arrow);
      arrow = await zoneImage(page, "arrow");
      await shoot(page, step);
    }

    // Left-handed: the arrow's hot spot moves to the right of its image.
    await chooseMenu(page, "Left-handed cursor");
    await until("a mirrored arrow", async () => {
      const zone = (await state(page)).zones.arrow;
      return zone.hotX > zone.width / 2;
    });
    await shoot(page, "05-left-handed");
    await chooseMenu(page, "Left-handed cursor");
    await until("the right-handed arrow", async () => (await zoneImage(page, "arrow")) === arrow);

    // The pad's Caps Lock key: capitals and a bar on the badge, then the
    // badge as it was.
    const capsLock = page.locator("#caps-lock-key");
    await capsLock.click();
    await until("the Caps Lock title", async () => (await title.textContent()) === "TV [РУ⇪]");
    await until("the Caps Lock arrow", async () => (await zoneImage(page, "arrow")) !== arrow);
    assert.equal(await capsLock.getAttribute("aria-pressed"), "true");
    await shoot(page, "05-caps-lock");
    await capsLock.click();
    await until("the title without Caps Lock", async () => (await title.textContent()) === "TV [Ру]");
    await until("the arrow without Caps Lock", async () => (await zoneImage(page, "arrow")) === arrow);

    // The custom delay: a number is taken. An update alert that comes while
    // the dialog is open shows beside it, and each is answered on its own.
    feed.hold();
    await chooseMenu(page, "Check for Updates...");
    await chooseMenu(page, "Auto-return", "Custom seconds...");
    const dialog = page.locator(".alert", { hasText: "Auto-return timer" });
    await dialog.locator(".alert-field").fill("15");
    await until("the update check", async () => feed.held.length > 0);
    feed.release();
    const update = page.locator(".alert", { hasText: "A new version of Tolvane is available!" });
    await update.waitFor({ state: "visible" });
    assert.equal(await dialog.locator(".alert-field").inputValue(), "15", "the typed text stays");
    await shoot(page, "06-two-alerts");
    await dialog.locator("button", { hasText: "Save" }).click();
    await dialog.waitFor({ state: "detached" });
    await update.locator("button", { hasText: "OK" }).click();
    await page.locator("#alert-layer").waitFor({ state: "hidden" });
    await until("a 15-second delay", async () =>
      menuTitles((await state(page)).menu.items).includes("Auto-return: 15 seconds"));
    const beeps = Number(await page.locator("#beep").getAttribute("data-count"));
    await chooseMenu(page, "Auto-return", "Custom seconds...");
    const again = page.locator(".alert", { hasText: "Auto-return timer" });
    await again.locator(".alert-field").fill("abc");
    await again.locator("button", { hasText: "Save" }).click();
    await until("the beep", async () =>
      Number(await page.locator("#beep").getAttribute("data-count")) === beeps + 1);
    await shoot(page, "07-beep");

    // Back to the primary layout: typing postpones it, idleness lets it come.
    await chooseMenu(page, "Primary layout", "ABC [En]");
    await chooseMenu(page, "Auto-return", "5 seconds");
    const typingUntil = Date.now() + 7000;
    await page.click("#typing-pad");
    while (Date.now() < typingUntil) {
      await page.keyboard.press("KeyA");
      await page.waitForTimeout(700);
    }
    assert.equal(await title.textContent(), "TV [Ру]", "typing keeps the layout");
    await until("the return to ABC", async () => (await title.textContent()) === "TV [En]", 15_000);
    await shoot(page, "08-auto-return");

    // The system's own arrow.
    await chooseMenu(page, "Restore OS cursor");
    await until("the system arrow", async () => (await state(page)).zones.arrow.system === true);
    await shoot(page, "09-restored");

    // Quit: every cursor is the system's own and the page says the program ended.
    await chooseMenu(page, "Reapply for current language");
    await until("a decorated arrow", async () => (await state(page)).zones.arrow.system === false);
    await chooseMenu(page, "Quit");
    await page.locator("#ended-layer").waitFor({ state: "visible", timeout: patience });
    assert.equal(await page.locator("#ended-title").textContent(), "Tolvane has ended");
    await shoot(page, "10-ended");
    const ending = await program.exited;
    assert.deepEqual(ending, { code: 0, signal: null });
  } finally {
    await browser.close();
    await program.end();
    feed.close();
  }
});
