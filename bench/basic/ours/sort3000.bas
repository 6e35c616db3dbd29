' Array sort: a bubble sort of 3000 pseudo-random Longs.
Function Main() As Long
  Dim a(1 To 3000) As Long
  Dim i As Long, j As Long, t As Long, seed As Long
  seed = 12345
  For i = 1 To 3000
    seed = (seed * 1103 + 12345) Mod 65536
    a(i) = seed
  Next i
  For i = 1 To 2999
    For j = 1 To 3000 - i
      If a(j) > a(j + 1) Then
        t = a(j)
        a(j) = a(j + 1)
        a(j + 1) = t
      End If
    Next j
  Next i
  Main = a(1) + a(1500) * 3 + a(3000) * 7
End Function
