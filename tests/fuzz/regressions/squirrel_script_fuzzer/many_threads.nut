local threads = [];
while (true) threads.append(newthread(function() { suspend(1); }));
