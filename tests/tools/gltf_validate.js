// Runs the Khronos glTF validator (the npm package gltf-validator) over each file given, the
// buffers and pictures a .gltf names read from beside it. Prints one line per file, "FILE:
// E errors, W warnings", then every error's message; exits 1 when any file has an error, 3 when
// the validator itself is not installed (install-deps.sh test installs it).
'use strict';
const fs = require('fs');
const path = require('path');
let validator;
try {
  validator = require('gltf-validator');
} catch (e) {
  console.error('gltf-validator is not installed: ' + e.message);
  process.exit(3);
}

async function validate(file) {
  const bytes = new Uint8Array(fs.readFileSync(file));
  const folder = path.dirname(file);
  const report = await validator.validateBytes(bytes, {
    uri: path.basename(file),
    maxIssues: 0,
    externalResourceFunction: (uri) =>
      new Promise((resolve, reject) => {
        fs.readFile(path.join(folder, decodeURIComponent(uri)), (err, data) =>
          err ? reject(err.toString()) : resolve(new Uint8Array(data)));
      }),
  });
  const issues = report.issues;
  console.log(`${file}: ${issues.numErrors} errors, ${issues.numWarnings} warnings`);
  for (const message of issues.messages) {
    if (message.severity === 0) console.log(`  ${message.code} ${message.pointer || ''}: ${message.message}`);
  }
  return issues.numErrors;
}

(async () => {
  let errors = 0;
  for (const file of process.argv.slice(2)) errors += await validate(file);
  process.exit(errors > 0 ? 1 : 0);
})().catch((e) => {
  console.error(String(e));
  process.exit(1);
});
