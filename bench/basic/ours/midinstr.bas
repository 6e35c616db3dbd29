' Mid$ and InStr: 1 million searches of a slice in a text.
Function Main() As Long
  Dim i As Long, n As Long, s As String
  s = "the quick brown fox jumps over the lazy dog"
  n = 0
  For i = 1 To 1000000
    n = n + InStr(s, Mid$(s, (i Mod 40) + 1, 3))
  Next i
  Main = n
End Function
