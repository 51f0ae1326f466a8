// The page and the program must agree on the command table: every name and
// setting key the page sends is one the program handles, and every number the
// page offers lies in the range the program keeps. The program's side is read
// from its sources, so a change on either side that the other lacks fails here.
'use strict';
const { test, before } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { pageTest, cmd, REPO, SEP } = require('./harness');

const source = (rel) => fs.readFileSync(path.join(REPO, rel), 'utf8');

// A piece of C++ that a pattern must find; an empty find means the source moved on.
function cut(text, re, what) {
  const m = re.exec(text);
  assert.ok(m, `cannot find ${what} in the program's source`);
  return m[1];
}

function programSide() {
  const commands = source('src/library/library_commands.cpp');
  const table = cut(commands, /LibraryBridge::kCommands\[\]\s*=\s*\{([\s\S]*?)\n\};/, 'the command table');
  const names = [...table.matchAll(/\{u"([^"]*)",\s*&LibraryBridge::\w+\}/g)].map((m) => m[1]);
  const set = cut(commands, /void LibraryBridge::Set\([^)]*\)\s*\{([\s\S]*?)\n\}/, 'the "set" handler');
  // Each branch of "set": its key, and the range constant it clamps with, if any.
  const keys = {};
  for (const branch of set.split(/key == /).slice(1)) {
    const key = cut(branch, /^u"([^"]*)"/, 'a "set" key');
    const clamp = /Clamp\(ParseLeadingInt\(value\),\s*(k\w+)\)/.exec(branch.split(/\} else if/)[0]);
    keys[key] = clamp ? clamp[1] : null;
  }
  const settings = source('src/base/settings.h');
  const ranges = {};
  for (const m of settings.matchAll(/constexpr IntRange (k\w+)\{(-?\d+),\s*(-?\d+)\}/g)) {
    ranges[m[1]] = { min: +m[2], max: +m[3] };
  }
  const zoom = {
    min: +cut(settings, /kMinZoom = ([\d.]+)f;/, 'the smallest zoom'),
    max: +cut(settings, /kMaxZoom = ([\d.]+)f;/, 'the largest zoom'),
  };
  // The range the settings file, and so "state", holds fps to.
  const fileFps = cut(source('src/base/settings.cpp'), /\{u"fps",\s*&Settings::fps,\s*(k\w+)\}/, 'the file\'s fps range');
  const presetTable = cut(source('src/bake/bake_effect.h'), /kPresetNames\[kPresetCount\]\s*=\s*\{([\s\S]*?)\};/,
    'the preset names');
  const presets = [...presetTable.matchAll(/u"([^"]*)"/g)].map((m) => m[1]);
  const most = (name) => +cut(settings, new RegExp(`${name} = (\\d+);`), name);
  const counts = { rotationItems: most('kMaxRotationItems'), rules: most('kMaxRules'), ruleName: most('kMaxRuleNameLength') };
  return { names, keys, ranges, zoom, fileFps, presets, counts };
}

let prog;
before(() => { prog = programSide(); });

const sorted = (list) => [...list].sort();

pageTest('the page\'s command names and "set" keys are exactly the program\'s', async (p) => {
  const page = await p.page.evaluate(() => ({
    names: Object.values(LH.bridge.commands), keys: Object.values(LH.bridge.settingKeys),
  }));
  assert.ok(prog.names.length >= 10 && Object.keys(prog.keys).length >= 5, 'the program\'s tables were read');
  assert.deepEqual(sorted(page.names), sorted(prog.names));
  assert.deepEqual(sorted(page.keys), sorted(Object.keys(prog.keys)));
});

pageTest('every sender posts a command the program knows, and together they cover the table', async (p) => {
  const sent = await p.page.evaluate(() => {
    const out = {};
    for (const [name, fn] of Object.entries(LH.send)) {
      window.__bridge.posted.length = 0;
      if (name === 'frame' || name === 'resetFrame') fn({ kind: 'screen', index: 1 }, '0.5', '0.5', '2');
      else if (name === 'rotation') fn({ kind: 'screen', index: 1 }, 5, 'listed', ['C:\\x.jpg']);
      else if (name === 'rules') fn([{ a: 'running', p: 'x.exe' }]);
      else fn(1, 'C:\\x.jpg');
      out[name] = window.__bridge.posted.slice();
    }
    return out;
  });
  const used = new Set(['drop']);  // travels with the dropped files, tested with dropping
  for (const [sender, posted] of Object.entries(sent)) {
    assert.equal(posted.length, 1, `${sender} posts one command`);
    const [name, key] = posted[0].split(SEP);
    assert.ok(prog.names.includes(name), `${sender} posts "${name}", which the program does not know`);
    if (name === 'set') assert.ok(key in prog.keys, `${sender} sets "${key}", which the program does not know`);
    used.add(name);
  }
  assert.deepEqual(sorted(used), sorted(prog.names), 'a command in the table that no sender posts');
});

pageTest('numbers stay within the ranges the program clamps them to', async (p) => {
  const page = await p.page.evaluate(() => ({
    keys: LH.bridge.settingKeys, limits: LH.bridge.settingLimits, all: LH.limits, presets: LH.bake.presets,
  }));
  // A number the program clamps has the same range on the page, and the page
  // clamps nothing the program takes as it is.
  for (const [setting, key] of Object.entries(page.keys)) {
    const constant = prog.keys[key];
    if (!constant) {
      assert.equal(page.limits[setting], undefined, `"${key}" has a range on the page only`);
      continue;
    }
    assert.ok(prog.ranges[constant], `${constant} is stated in settings.h`);
    assert.deepEqual(page.limits[setting], prog.ranges[constant], `range of "${key}"`);
  }
  assert.deepEqual(page.all.reportedFps, prog.ranges[prog.fileFps], 'fps the settings file may hold');
  assert.deepEqual(page.all.zoom, prog.zoom, 'zoom');
  assert.deepEqual(page.presets, prog.presets, 'bake presets, by index');
  assert.deepEqual(page.all.rotationMinutes, prog.ranges.kRotationMinutesRange, 'rotation interval');
  for (const [what, most] of Object.entries(prog.counts)) assert.equal(page.all[what].max, most, `at most ${what}`);

  // The senders clamp as the program does; what is no number is not sent.
  const kept = await p.page.evaluate(() => [
    LH.send.setFps(500), LH.send.setFps(2), LH.send.setIdleMin(0), LH.send.setIdle(7), LH.send.setIdleMin('12.6'),
    LH.send.setFps('fast'), LH.send.rotation({ kind: 'span' }, 0, 'sideways', ['a', '', 'b\nc', 'd']),
    LH.send.rotation({ kind: 'screen', index: 0 }, 99999, 'shuffled', []),
    LH.send.rules([{ a: 'running', p: 'obs64.exe' }, { a: 'sometimes', p: 'x.exe' }, { a: 'foreground', p: '' }]).length,
  ]);
  assert.deepEqual(kept, [120, 5, 1, 2, 13, null, 1, 1440, 1]);
  await p.expectPosted([
    cmd('set', 'fps', '120'), cmd('set', 'fps', '5'), cmd('set', 'idlemin', '1'), cmd('set', 'idle', '2'),
    cmd('set', 'idlemin', '13'), cmd('rotation', 'span', '1', 'listed', 'a', 'd'), cmd('rotation', '0', '1440', 'shuffled'),
    cmd('rules', 'running', 'obs64.exe'),
  ]);

  // The controls offer exactly the program's ranges.
  await p.page.getByRole('tab', { name: 'Settings' }).click();
  const attrs = (sel) => p.page.locator(sel).evaluate((e) => ({ min: Number(e.min), max: Number(e.max) }));
  assert.deepEqual(await attrs('#set-fps'), prog.ranges.kPageFpsRange);
  assert.deepEqual(await attrs('#set-idlemin'), prog.ranges.kIdleMinRange);
  assert.deepEqual(await attrs('#frame-zoom'), prog.zoom);
  await p.clearPosted();
  await p.page.locator('#set-fps').focus();
  await p.page.keyboard.press('End');
  await p.expectPosted([cmd('set', 'fps', String(prog.ranges.kPageFpsRange.max))]);
});

test('only the bridge talks to the web view', () => {
  const dir = path.join(REPO, 'ui/js');
  for (const file of fs.readdirSync(dir)) {
    if (file === 'bridge.js' || !file.endsWith('.js')) continue;
    const text = fs.readFileSync(path.join(dir, file), 'utf8');
    assert.doesNotMatch(text, /postMessage|chrome\.webview/, `${file} reaches the web view itself`);
  }
  assert.doesNotMatch(source('ui/library.html'), /<script>/, 'no inline script in the page');
});
