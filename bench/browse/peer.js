// The scripted browser the batch mode is compared with: one headless
// Chromium driven over its debugging protocol, N tabs reused, every address
// of a list loaded and its document's source written as one JSON line, in
// the order of the list. Usage: node peer.js CHROMIUM LIST TABS > out.jsonl
const puppeteer = require('puppeteer-core');
const fs = require('fs');

async function main() {
  const [chromium, list, tabs] = process.argv.slice(2);
  const addresses = fs.readFileSync(list, 'utf8').split('\n').map(s => s.trim()).filter(Boolean);
  const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
           '--disable-sync', '--no-first-run'],
  });
  const results = new Array(addresses.length);
  let next = 0, written = 0;
  const flush = () => {
    while (written < addresses.length && results[written] !== undefined) {
      process.stdout.write(JSON.stringify(results[written]) + '\n');
      results[written++] = null;
    }
  };
  const worker = async () => {
    const page = await browser.newPage();
    while (next < addresses.length) {
      const i = next++;
      const address = addresses[i];
      try {
        await page.goto(address, {waitUntil: 'load', timeout: 60000});
        const [title, source] = await page.evaluate(
            () => [document.title, document.documentElement ? document.documentElement.innerHTML : '']);
        results[i] = {address, url: page.url(), title, source};
      } catch (e) {
        results[i] = {address, error: String(e.message || e).split('\n')[0]};
      }
      flush();
    }
  };
  await Promise.all(Array.from({length: Number(tabs)}, worker));
  await browser.close();
}
main().catch(e => { console.error(e); process.exit(1); });
